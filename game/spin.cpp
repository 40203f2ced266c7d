#include "game/spin.h"

#include <cstdlib>

#include "game/holds.h"
#include "game/money.h"
#include "game/paytable.h"
#include "game/status_panel.h"
#include "gfx/display.h"
#include "screens/prompts.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/sound.h"
#include "shell/winmain.h"

static void StartReel(Reel& r, int index, int target) {
    r.direction = index % 2;
    r.speed = static_cast<uint8_t>(ReelStep);
    r.target = static_cast<uint8_t>(target);
    r.done = 0;
    r.offset = 0;
}

void StartSpin(ReelSet& reels) {
    int prev = 10;
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reels.reel[i];
        StartReel(r, i, prev + std::rand() % 10);
        prev = r.target + 2;
    }
}

void StartRandomSpin(ReelSet& reels) {
    const PayLine& row = PayTable[std::rand() % PAY_LINES];
    int prev = 10;
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reels.reel[i];
        const int want = FindSymbol(i, row.symbol[i]);
        int d = want - r.position;
        if (d <= 0) d += STRIP_LENGTH;
        if (i % 2) d = STRIP_LENGTH - d;  // a down-moving reel counts the other way round
        // The least count above prev with the same remainder by ten.
        if (d <= prev) d += STRIP_LENGTH * ((prev - d) / STRIP_LENGTH + 1);
        StartReel(r, i, d);
        prev = d;
    }
}

void RunReels(ReelSet& reels, Surface& screen, bool random) {
    if (random) StartRandomSpin(reels);
    else StartSpin(reels);
    do {
        DrawReels(reels, screen);
        PresentRect(screen, 0, REEL_TOP, 240, REEL_HEIGHT);
    } while (StepAll(reels));
}

void Spin(Machine& m, bool random) {
    if (m.credit != 0 || random) {
        m.holdOffer = 0;
        m.nudges = 0;
        SoundPlay(ProgramPath(L"Sounds\\spin.wav"));
        if (!random) m.credit -= 1;
        if (!m.featureHold) m.featureCount = 0;
        DrawStatusPanel(m);
        UpdateButtons(m);
        RunReels(m.reels, m.screen, random);
        m.prize = Evaluate(m.reels);
        if (m.prize) {
            DrawStatusPanel(m);
            UpdateButtons(m);
            Present(m.screen);
            if (std::rand() % 2 == 1) OfferGamble(m);
            else BankPrize(m);
        }
        m.featureCount += FeaturePoints(m.reels);
        OfferFeatures(m);
    }
    if (IsOutOfMoney(m)) HandleOutOfMoney(m);
    // Taps and keys given while the reels ran are not carried over.
    DiscardPendingMessages();
}
