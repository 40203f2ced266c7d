#include "game/status_panel.h"

#include <cstdio>

#include "gfx/font.h"
#include "screens/lcd.h"

void DrawStatusPanel(Machine& m) {
    const uint16_t white = MakeColour(255, 255, 255);
    char text[32];
    // Labels are redrawn over themselves; the digit cells are opaque, so each
    // value overwrites the last.
    DrawText(m.screen, "Prize", 10, 200, white);
    FormatMoney(text, sizeof text, m.prize);
    DrawLcdDigits(m.screen, 10, 210, text);

    DrawText(m.screen, "Nudges", 100, 200, white);
    std::snprintf(text, sizeof text, "%4d", m.nudges);
    DrawLcdDigits(m.screen, 100, 210, text);

    DrawText(m.screen, "Bank", 10, 240, white);
    FormatMoney(text, sizeof text, m.bank);
    DrawLcdDigits(m.screen, 10, 250, text);

    DrawText(m.screen, "Feature", 100, 240, white);
    std::snprintf(text, sizeof text, "%c %2d", m.featureHold ? 'F' : ' ', m.featureCount);
    DrawLcdDigits(m.screen, 100, 250, text);

    DrawText(m.screen, "Cash", 10, 280, white);
    FormatMoney(text, sizeof text, m.cash);
    DrawLcdDigits(m.screen, 10, 290, text);

    DrawText(m.screen, "Credit", 100, 280, white);
    std::snprintf(text, sizeof text, "%4d", m.credit);
    DrawLcdDigits(m.screen, 100, 290, text);
}
