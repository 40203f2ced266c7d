#include "game/machine.h"

#include <cstdio>
#include <cstdlib>

#include "game/holds.h"
#include "game/status_panel.h"
#include "gfx/delay.h"
#include "platform/winapi/kernel.h"
#include "shell/program.h"

Machine::Machine() { Reset(*this); }

void Reset(Machine& m) {
    std::srand(GetTickCount());
    m.credit = 0;
    m.cash = 25;
    m.bank = 0;
    m.prize = 0;
    m.nudges = 0;
    m.featureCount = 0;
    m.score = 0;
    m.featureHold = 0;
    m.holdOffer = 0;
    StartTimer();
}

void RedrawAll(Machine& m) {
    m.screen.CopyFrom(MachineImage);
    DrawReels(m.reels, m.screen);
    DrawStatusPanel(m);
    UpdateButtons(m);
}

void FormatMoney(char* text, size_t size, int32_t units) {
    // A unit is ten pence, so the last digit of pence is always 0: past
    // 999.90 it gives way to the pounds, then the tenth digit and the point
    // do, and the field keeps its six cells.
    if (units < 10000) std::snprintf(text, size, "%3d.%02d", units / 10, (units % 10) * 10);
    else if (units < 100000) std::snprintf(text, size, "%4d.%d", units / 10, units % 10);
    else if (units < 1000000) std::snprintf(text, size, "%5d.", units / 10);
    else if (units < 10000000) std::snprintf(text, size, "%6d", units / 10);
    else std::snprintf(text, size, "999999");  // the most six cells can show
}

bool IsOutOfMoney(const Machine& m) {
    return m.prize == 0 && m.bank == 0 && m.cash == 0 && m.credit == 0 && m.nudges == 0;
}
