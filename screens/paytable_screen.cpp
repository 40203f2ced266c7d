#include "screens/paytable_screen.h"

#include <cstdio>

#include "game/paytable.h"
#include "gfx/blit.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "gfx/lines.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"

namespace {

constexpr int ICON = 12;

// Two pictures of the reel window that make the combinations: top, win and
// bottom row, reel 0 to reel 3.
const uint8_t CherryCombo[3][REEL_COUNT] = {{8, 0, 4, 0}, {4, 1, 5, 5}, {2, 4, 7, 4}};
const uint8_t BarCombo[3][REEL_COUNT] = {{4, 0, 2, 5}, {8, 9, 8, 10}, {2, 4, 7, 4}};

// One symbol's tile keyed on its top-left pixel and scaled to an icon.
void DrawIcon(Surface& screen, Surface& scratch, uint8_t symbol, int32_t x, int32_t y) {
    Blit(scratch, 0, 0, SYMBOL_SIZE, SYMBOL_SIZE, SymbolImage, SymbolTiles[symbol][0], SymbolTiles[symbol][1], BLIT_COPY);
    scratch.SetTransparent(scratch.pixels[0]);
    scratch.SetAlpha(255);
    StretchBlit(screen, scratch, x, y, ICON, ICON, BLIT_KEYED_BLEND);
}

void DrawCombo(Surface& screen, Surface& scratch, const char* title, const uint8_t rows[3][REEL_COUNT], int32_t y) {
    const uint16_t blue = MakeColour(0, 0, 255), black = MakeColour(0, 0, 0);
    DrawText(screen, title, 130, y, blue);
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < REEL_COUNT; ++j) DrawIcon(screen, scratch, rows[r][j], 130 + ICON * j, y + 10 + ICON * r);
    char text[32];
    std::snprintf(text, sizeof text, " =%d.%d0", static_cast<int>(COMBO_PAYOUT / 10), static_cast<int>(COMBO_PAYOUT % 10));
    DrawText(screen, text, 178, y + 24, black);
}

// The gamepad's A and B leave, as Exit does.
constexpr PanelKey LeaveKeys[] = {{VK_GAMEPAD_A, 1}, {VK_GAMEPAD_B, 1}};

void AddExitButton(ButtonPanel& panel) {
    PanelInit(panel);
    PanelAdd(panel, 1, "Exit", 20, 290, 200, 20, 0);
}

}  // namespace

void DrawPayTable(Surface& screen) {
    Surface scratch;
    if (!scratch.Create(SYMBOL_SIZE, SYMBOL_SIZE)) return;
    const uint16_t red = MakeColour(255, 0, 0), blue = MakeColour(0, 0, 255), black = MakeColour(0, 0, 0);
    VerticalGradient(screen, MakeColour(255, 255, 0), MakeColour(0, 255, 0));
    ButtonPanel panel;
    AddExitButton(panel);
    PanelDraw(panel, screen);
    DrawText(screen, "-- Winning Lines --", TEXT_CENTRE, 10, red);
    DrawText(screen, "Streight Wins", 10, 30, blue);
    for (int i = 0; i < PAY_LINES; ++i) {
        for (int j = 0; j < REEL_COUNT; ++j)
            if (PayTable[i].symbol[j] != SYMBOL_ANY)
                DrawIcon(screen, scratch, PayTable[i].symbol[j], 10 + ICON * j, 40 + ICON * i);
        char text[32];
        std::snprintf(text, sizeof text, " =%2d.%0d0", static_cast<int>(PayTable[i].payout / 10),
                      static_cast<int>(PayTable[i].payout % 10));
        DrawText(screen, text, 58, 42 + ICON * i, black);
    }
    DrawCombo(screen, scratch, "Cherry Combo", CherryCombo, 30);
    DrawCombo(screen, scratch, "Bar Combo", BarCombo, 100);
}

void ShowPayTable(Surface& screen) {
    const uint16_t black = MakeColour(0, 0, 0);
    FadeOut(screen, black, FadeStep);
    ReportScreen("paytable");
    DrawPayTable(screen);
    ButtonPanel panel;  // the Exit button as drawn, for the wait
    AddExitButton(panel);
    FadeIn(screen, black, FadeStep);
    PanelModalLoop(panel, LeaveKeys, 2);  // Exit, A, B, any device button, or quitting: all leave
    FadeOut(screen, black, FadeStep);
}
