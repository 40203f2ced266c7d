#include "game/machine.h"

#include <cstdlib>

#include "gfx/delay.h"
#include "platform/system.h"
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

void RedrawAll(Machine& m) { m.screen.CopyFrom(MachineImage); }

bool IsOutOfMoney(const Machine& m) {
    return m.prize == 0 && m.bank == 0 && m.cash == 0 && m.credit == 0 && m.nudges == 0;
}
