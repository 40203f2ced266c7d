#include "game/money.h"

#include "game/gamble_ladder.h"
#include "game/holds.h"
#include "game/paytable.h"
#include "game/status_panel.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "screens/highscore_table.h"
#include "screens/prompts.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/sound.h"
#include "shell/window.h"

// Redraws what a change of a counter touches and shows it.
static void ShowCounters(Machine& m) {
    DrawStatusPanel(m);
    UpdateButtons(m);
    Present(m.screen);
}

void InsertCoin(Machine& m) {
    if (m.cash == 0 || m.credit >= 99) return;
    m.cash -= 1;
    m.credit += 1;
    SoundPlay(ProgramPath(L"Sounds\\button.wav"));
    ShowCounters(m);
}

void CollectBank(Machine& m) {
    while (m.bank != 0) {
        const int32_t step = m.bank >= 10 ? 10 : 1;
        m.bank -= step;
        m.cash += step;
        ShowCounters(m);
        SoundPlay(ProgramPath(L"Sounds\\reel.wav"));
        Delay(125);
    }
}

void BankPrize(Machine& m) {
    SoundPlay(ProgramPath(L"Sounds\\cashreg.wav"));
    ShowWinPulse(m.reels, m.screen);
    Delay(1000);
    while (m.prize != 0) {
        const int32_t step = m.prize >= 10 ? 10 : 1;
        m.prize -= step;
        m.bank += step;
        m.score += step;
        ShowCounters(m);
        Delay(25);
    }
}

void OfferGamble(Machine& m) {
    SoundPlay(ProgramPath(L"Sounds\\cashreg.wav"));
    ShowWinPulse(m.reels, m.screen);
    Delay(1000);
    FlashGambleButtons(m);
}

void FlashGambleButtons(Machine& m) {
    SoundPlay(ProgramPath(L"Sounds\\gamble.wav"));
    bool on = true;
    for (int pass = 0; pass < 9; ++pass) {
        PanelEnable(m.buttons, CMD_GAMBLE, on);
        PanelEnable(m.buttons, CMD_COLLECT, on);
        PanelDraw(m.buttons, m.screen);
        Present(m.screen);
        Delay(100);
        on = !on;
    }
}

void GamblePrize(Machine& m) {
    m.prize = PlayGambleLadder(m, m.prize);
    UpdateButtons(m);
    DrawStatusPanel(m);
    Present(m.screen);
    if (m.prize) BankPrize(m);
    // A lost gamble can take the game's last money: the game is then over,
    // as after a losing spin, once no button is left to press. A lit RANDOM
    // is a free spin the player still has.
    if (IsOutOfMoney(m) && !PanelIsLit(m.buttons, CMD_RANDOM)) HandleOutOfMoney(m);
}

void ShowHighScores(Machine& m) {
    if (!ShowHighScoreTable(m.screen, 0)) return;  // no table: nothing was drawn
    FadeOut(m.screen, MakeColour(0, 0, 0), FadeStep);
    RedrawAll(m);
    ReportScreen("machine");
    FadeIn(m.screen, MakeColour(0, 0, 0), FadeStep);
}
