#include "game/holds.h"

#include <cstdlib>

#include "game/money.h"
#include "game/paytable.h"
#include "game/status_panel.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "screens/prompts.h"
#include "shell/paths.h"
#include "shell/sound.h"
#include "shell/window.h"

void OfferFeatures(Machine& m) {
    for (Reel& r : m.reels.reel) r.held = 0;
    if (m.prize == 0) {
        if (std::rand() % 5 != 1) {
            m.nudges = 0;
            m.holdOffer = std::rand() % 5 == 1 ? 1 : 0;
        } else if (Evaluate(m.reels) == 0) {
            m.nudges += std::rand() % 5 + 1;
            m.holdOffer = 0;
        }
        m.featureHold = std::rand() % 3 == 2 ? 1 : 0;
    }
    DrawReels(m.reels, m.screen);
    DrawStatusPanel(m);
    UpdateButtons(m);
    Present(m.screen);
    if (m.holdOffer || m.nudges || m.featureHold) FlashFeatureButtons(m);
}

void UpdateButtons(Machine& m) {
    const bool offer = m.nudges || m.holdOffer;
    for (int id = CMD_HOLD1; id <= CMD_HOLD4; ++id) {
        PanelSetLabel(m.buttons, id, m.nudges ? "NUDGE" : "HOLD");
        PanelEnable(m.buttons, id, offer);
    }
    PanelEnable(m.buttons, CMD_RANDOM, m.featureCount >= 15);
    PanelEnable(m.buttons, CMD_SPIN, m.credit != 0 && m.prize == 0);
    PanelEnable(m.buttons, CMD_COLLECT, m.bank != 0 || m.prize != 0);
    PanelEnable(m.buttons, CMD_GAMBLE, m.prize != 0);
    PanelEnable(m.buttons, CMD_COIN, m.cash != 0);
    PanelDraw(m.buttons, m.screen);
}

void FlashFeatureButtons(Machine& m) {
    SoundPlay(ProgramPath(L"Sounds\\feature.wav"));
    bool on = true;
    for (int pass = 0; pass < 9; ++pass) {
        if (m.holdOffer || m.nudges)
            for (int id = CMD_HOLD1; id <= CMD_HOLD4; ++id) PanelEnable(m.buttons, id, on);
        PanelDraw(m.buttons, m.screen);
        Present(m.screen);
        Delay(100);
        on = !on;
    }
}

void HoldOrNudge(Machine& m, int reel) {
    SoundPlay(ProgramPath(L"Sounds\\button.wav"));
    if (m.nudges) Nudge(m, reel);
    else ToggleHold(m, reel);
}

void ToggleHold(Machine& m, int reel) {
    Reel& r = m.reels.reel[reel];
    r.held = !r.held;
    DrawReels(m.reels, m.screen);
    Present(m.screen);
}

void Nudge(Machine& m, int reel) {
    if (!m.nudges) return;
    m.nudges -= 1;
    NudgeReel(m.reels, m.screen, reel);
    m.prize = Evaluate(m.reels);
    if (m.prize) {
        m.nudges = 0;
        DrawStatusPanel(m);
        UpdateButtons(m);
        Present(m.screen);
        if (std::rand() % 3 == 1) OfferGamble(m);
        else BankPrize(m);
    }
    DrawStatusPanel(m);
    UpdateButtons(m);
    Present(m.screen);
    if (IsOutOfMoney(m)) HandleOutOfMoney(m);
}

void NudgeReel(ReelSet& reels, Surface& screen, int reel) {
    reels.reel[reel].target += 1;
    do {
        DrawReels(reels, screen);
        Present(screen);
    } while (StepAll(reels));
}
