// Playing the machine through its window, with taps and keys as a player
// gives them: the buttons in every state, spins and their sounds, holds and
// nudges, coins, banking and collecting, and long random games.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <cstdlib>
#include <random>

#include "game/holds.h"
#include "game/money.h"
#include "game/paytable.h"
#include "game/reels.h"
#include "game/spin.h"
#include "gfx/display.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/window.h"
#include "tests/machine_fixture.h"

namespace {

struct Play : MachineTest {
    void SetUp() override {
        MachineTest::SetUp();
        Reset(m);
        RedrawAll(m);
    }
    void Coins(int n) {
        for (int i = 0; i < n; ++i) {
            TapButton(CMD_COIN);
            Pump(50);
        }
    }
    // Enabled states in panel order: HOLD 1-4, Coin, RANDOM, GAMBLE, COLLECT, SPIN.
    std::vector<bool> Enables() const {
        std::vector<bool> s;
        for (int id : {1, 2, 3, 4, 12, 15, 13, 11, 10}) s.push_back(Enabled(id));
        return s;
    }
};
using States = std::vector<bool>;

TEST_F(Play, ButtonsFollowTheCountersInEveryState) {
    EXPECT_EQ(Enables(), (States{0, 0, 0, 0, 1, 0, 0, 0, 0}));  // a new game: only Coin
    Coins(1);
    EXPECT_EQ(Enables(), (States{0, 0, 0, 0, 1, 0, 0, 0, 1}));
    struct Counters {
        int prize, bank, featureCount, holdOffer, nudges, cash, credit;
        States enabled;
    };
    const Counters states[] = {
        {30, 0, 0, 0, 0, 24, 1, {0, 0, 0, 0, 1, 0, 1, 1, 0}},  // a prize waiting for the gamble
        {0, 5, 15, 1, 0, 24, 1, {1, 1, 1, 1, 1, 1, 0, 1, 1}},
        {0, 5, 14, 0, 3, 0, 1, {1, 1, 1, 1, 0, 0, 0, 1, 1}},
        {0, 0, 14, 0, 0, 0, 0, States(9, false)},  // out of everything
    };
    for (const Counters& c : states) {
        m.prize = c.prize, m.bank = c.bank, m.featureCount = c.featureCount, m.holdOffer = c.holdOffer;
        m.nudges = c.nudges, m.cash = c.cash, m.credit = c.credit;
        UpdateButtons(m);
        EXPECT_EQ(Enables(), c.enabled) << c.prize << " " << c.bank << " " << c.nudges;
        for (int id = 1; id <= 4; ++id) EXPECT_EQ(Label(id), c.nudges ? "NUDGE" : "HOLD");
    }
    EXPECT_TRUE(IsOutOfMoney(m));
}

TEST_F(Play, TapsOnDisabledButtonsOrBesideThemDoNothing) {
    Pump(100);
    const auto before = Screen();
    const size_t sounds = headless::Sounds().size();
    for (int id : {1, 2, 3, 4, 15, 13, 11, 10}) {
        TapButton(id);
        Pump(100);
    }
    headless::Tap(62, 175);  // between two HOLD buttons
    headless::Tap(100, 100);  // on a reel
    Pump(100);
    EXPECT_EQ(Screen(), before);
    EXPECT_EQ(headless::Sounds().size(), sounds);
    EXPECT_EQ(m.credit, 0);
    EXPECT_EQ(m.cash, 25);
    // A disabled button's tap posts nothing at all.
    headless::Tap(Centre(CMD_SPIN).x, Centre(CMD_SPIN).y);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(PanelTap(m.buttons, hwnd, msg.message, msg.wParam, msg.lParam), 0);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

TEST_F(Play, CtrlQHoldsTheFirstReelEvenWhileItsButtonIsDisabled) {
    ASSERT_FALSE(Enabled(CMD_HOLD1));
    const size_t sounds = headless::Sounds().size();
    headless::Key('Q', MK_CONTROL);
    Pump(100);
    EXPECT_EQ(m.reels.reel[0].held, 1);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"button.wav"}));
    // The held reel is drawn faded: its window differs from an unheld draw.
    const auto heldPicture = Screen();
    headless::Key('Q', MK_CONTROL);
    Pump(100);
    EXPECT_EQ(m.reels.reel[0].held, 0);
    EXPECT_NE(Screen(), heldPicture);
    // Held through a spin: the reel stays and plays no stop sound.
    headless::Key('Q', MK_CONTROL);
    Pump(100);
    Coins(1);
    const int position = m.reels.reel[0].position;
    const size_t before = headless::Sounds().size();
    TapButton(CMD_SPIN);
    Pump(100);
    const auto played = SoundsSince(before);
    EXPECT_EQ(m.reels.reel[0].position, position);
    ASSERT_GE(played.size(), 4u);
    EXPECT_EQ(played[0], "spin.wav");
    EXPECT_EQ(std::count(played.begin(), played.end(), "reel.wav") -
                  std::count(played.begin() + 4, played.end(), "reel.wav"),
              3);
    EXPECT_EQ(m.reels.reel[0].held, 0);  // released after the spin
}

TEST_F(Play, ASpinTakesACreditStopsLeftToRightAndPresentsOnlyTheReelsMeanwhile) {
    Coins(2);
    std::srand(12345);
    SetReels(m, 0, 0, 0, 0);
    Present(m.screen);
    const auto before = Screen();
    const size_t sounds = headless::Sounds().size();
    RunReels(m.reels, m.screen, false);
    // Every reel stopped with one sound each, left to right: a reel's sound
    // comes in the frame its target is reached, and targets grow to the right.
    const auto played = SoundsSince(sounds);
    EXPECT_EQ(played, std::vector<std::string>(4, "reel.wav"));
    std::vector<uint64_t> times;
    for (size_t i = sounds; i < headless::Sounds().size(); ++i)
        if (!headless::Sounds()[i].file.empty()) times.push_back(headless::Sounds()[i].us);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);
    for (int i = 1; i < 4; ++i) EXPECT_GT(m.reels.reel[i].target, m.reels.reel[i - 1].target);
    // Only the reel area changed in the back buffer.
    const auto after = Screen();
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            if (y < 10 || y >= 160) {
                ASSERT_EQ(after[y * 240 + x], before[y * 240 + x]) << x << "," << y;
            }
    // The display outside the reels was not presented during the spin.
    const auto frame = headless::Frame();
    for (int x = 0; x < 240; ++x) ASSERT_EQ(frame[5 * 240 + x], before[5 * 240 + x]);
}

TEST_F(Play, InputGivenDuringASpinIsThrownAway) {
    Coins(3);
    TapButton(CMD_SPIN);
    // Coin pressed while the reels are still turning.
    After(300, [this] { TapButton(CMD_COIN); });
    Pump(20000);
    EXPECT_EQ(m.cash, 22);
}

TEST_F(Play, CoinsBuyCreditUpTo99) {
    m.cash = 200;
    RedrawAll(m);
    Coins(99);
    EXPECT_EQ(m.credit, 99);
    EXPECT_EQ(m.cash, 101);
    const size_t sounds = headless::Sounds().size();
    Coins(1);
    EXPECT_EQ(m.credit, 99);
    EXPECT_EQ(m.cash, 101);
    EXPECT_EQ(headless::Sounds().size(), sounds);  // no sound for a refused coin
}

TEST_F(Play, BankAndCollectCountOverStepByStep) {
    m.bank = 123;
    const size_t presents = headless::Presents().size();
    const uint64_t start = headless::NowUs();
    CollectBank(m);
    EXPECT_EQ(m.bank, 0);
    EXPECT_EQ(m.cash, 148);
    EXPECT_EQ(headless::Presents().size() - presents, 15u);  // 12 pounds, then 3 of ten pence
    EXPECT_GE(headless::NowUs() - start, 15 * 125000ull);

    SetReels(m, 0, 0, 0, 0);
    m.prize = 55;
    const int score = m.score;
    const size_t sounds = headless::Sounds().size();
    BankPrize(m);
    EXPECT_EQ(m.prize, 0);
    EXPECT_EQ(m.bank, 55);
    EXPECT_EQ(m.score, score + 55);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"cashreg.wav"}));

    // COLLECT while a prize waits banks it; only the next one collects.
    m.prize = 20;
    UpdateButtons(m);
    TapButton(CMD_COLLECT);
    Pump(5000);
    EXPECT_EQ(m.prize, 0);
    EXPECT_EQ(m.bank, 75);
    TapButton(CMD_COLLECT);
    Pump(5000);
    EXPECT_EQ(m.bank, 0);
    EXPECT_EQ(m.cash, 148 + 75);
}

TEST_F(Play, NudgesMoveOneReelOneSymbolEach) {
    SetReels(m, 0, 0, 3, 3);  // 0, 8, 1, 8 on the line: no win
    m.nudges = 2;
    UpdateButtons(m);
    TapButton(CMD_HOLD1);
    Pump(1000);
    EXPECT_EQ(m.reels.reel[0].position, 1);  // symbol 8 comes up from below
    EXPECT_EQ(m.nudges, 1);
    TapButton(CMD_HOLD2);
    Pump(1000);
    EXPECT_EQ(m.reels.reel[1].position, 9);  // symbol 4 comes down from above
    EXPECT_EQ(m.nudges, 0);
    EXPECT_FALSE(Enabled(CMD_HOLD1));
    EXPECT_EQ(Label(CMD_HOLD1), "HOLD");

    // A nudge that wins ends the nudges: reel 1 at 1 shows 0, and nudged
    // down it shows 8, completing 8, 8, 8.
    SetReels(m, 1, 1, 2, 4);
    m.nudges = 3;
    UpdateButtons(m);
    ASSERT_EQ(Evaluate(m.reels), 0);
    TapButton(CMD_HOLD2);
    Pump(8000);
    EXPECT_EQ(m.nudges, 0);
    EXPECT_EQ(Label(CMD_HOLD1), "HOLD");
    EXPECT_FALSE(Enabled(CMD_HOLD1));
    EXPECT_GT(m.prize + m.bank, 0);
}

// The invariants of a game, checked after every command.
void CheckInvariants(const Machine& m, int64_t& lastMoney, int32_t& lastScore, bool paidSpin) {
    ASSERT_LE(m.credit, 99);
    for (int32_t v : {m.credit, m.bank, m.prize, m.nudges, m.cash, m.featureCount, m.score}) ASSERT_GE(v, 0);
    ASSERT_FALSE(m.nudges && m.holdOffer);
    ASSERT_GE(m.score, lastScore);
    const int64_t money = int64_t{m.cash} + m.credit + m.bank;
    // Money moves only by a paid spin (one credit) or by what is banked.
    ASSERT_EQ(money, lastMoney - (paidSpin ? 1 : 0) + (m.score - lastScore));
    lastMoney = money;
    lastScore = m.score;
}

TEST_F(Play, LongRandomGamesKeepTheMachinesRules) {
    const int buttons[] = {CMD_HOLD1, CMD_HOLD2, CMD_HOLD3, CMD_HOLD4, CMD_COIN,
                           CMD_RANDOM, CMD_GAMBLE, CMD_COLLECT, CMD_SPIN};
    int ladders = 0, spins = 0, games = 0, gameOvers = 0, saves = 0;
    // Whenever the end of a game asks, the left-hand button answers: Yes to
    // the save, OK to the empty name, Exit from the table, Play Again.
    std::function<void()> answer = [&] {
        const std::string screen = ShownScreen.name;
        if (screen == "prompt" || screen == "names" || screen == "table") {
            gameOvers += std::string(ShownScreen.title) == "GAME OVER";
            saves += screen == "names";
            headless::Tap(60, 300);
        }
        After(700, answer);
    };
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        Start(2000000 + seed * 7777);
        After(700, answer);
        std::mt19937 pick(seed);
        int64_t money = 0;
        int32_t score = 0;
        int seen = -1;
        for (int tap = 0; tap < 1500; ++tap) {
            if (tap == 0) {
                // The reels as a fresh program has them, whatever ran before.
                if (seed == 1) SetReels(m, 3, 6, 7, 5);
                Reset(m);
                RedrawAll(m);
            }
            if (seen != gameOvers) {  // a fresh game, from Play Again or the first
                ASSERT_FALSE(IsOutOfMoney(m));
                ASSERT_EQ(m.cash, 25);
                ASSERT_EQ(m.score, 0);
                money = int64_t{m.cash} + m.credit + m.bank;
                score = m.score;
                seen = gameOvers;
                ++games;
            }
            // Coins are bought when there is nothing to spin with, so that
            // the game lasts; a waiting prize is usually gambled.
            int id = buttons[pick() % 9];
            if (!m.credit && m.cash && pick() % 2) id = CMD_COIN;
            if (m.prize && pick() % 2) id = CMD_GAMBLE;
            if (!Enabled(id)) continue;
            const bool paid = id == CMD_SPIN;
            if (id == CMD_GAMBLE) {
                ++ladders;
                // Climb a few rungs at random moments, then collect or lose.
                for (int k = 1; k <= 6; ++k)
                    After(250 + 90 * k + pick() % 200, [] { headless::Tap(120, 280); });
                After(1400, [] { headless::Tap(200, 280); });
            }
            spins += id == CMD_SPIN || id == CMD_RANDOM;
            const int before = gameOvers;
            TapButton(id);
            Pump(id == CMD_GAMBLE ? 20000 : 200);
            ASSERT_FALSE(windowGone);
            if (gameOvers != before) continue;  // the counters are a new game's
            ASSERT_FALSE(IsOutOfMoney(m)) << "a game out of money always ends: seed " << seed << " tap " << tap;
            CheckInvariants(m, money, score, paid);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_GT(spins, 300);
    EXPECT_GE(ladders, 3) << spins << " spins, " << games << " games";
    EXPECT_GT(games, 5);
    EXPECT_GT(saves, 0);  // some games scored well enough to be saved
}

TEST_F(Play, OffersComeWithTheirOdds) {
    // OfferFeatures after losing spins: nudges 1 in 5 (never over a win
    // showing), holds 4 in 25, the F flag 1 in 3.
    std::srand(99);
    const int N = 3000;
    int nudgeOffers = 0, holdOffers = 0, flags = 0, nudgeTotal = 0, noWin = 0;
    for (int n = 0; n < N; ++n) {
        SetReels(m, std::rand() % 10, std::rand() % 10, std::rand() % 10, std::rand() % 10);
        const bool win = Evaluate(m.reels) != 0;
        m.prize = m.nudges = m.holdOffer = 0;
        OfferFeatures(m);
        ASSERT_FALSE(m.nudges && m.holdOffer);
        ASSERT_LE(m.nudges, 5);
        ASSERT_FALSE(win && m.nudges);
        noWin += !win;
        nudgeOffers += m.nudges > 0;
        nudgeTotal += m.nudges;
        holdOffers += m.holdOffer;
        flags += m.featureHold;
    }
    // Within four standard deviations of the stated odds.
    auto near = [](int count, int trials, double p) {
        const double sd = std::sqrt(trials * p * (1 - p));
        return std::fabs(count - trials * p) < 4 * sd;
    };
    EXPECT_TRUE(near(nudgeOffers, noWin, 0.2)) << nudgeOffers << " of " << noWin;
    EXPECT_TRUE(near(holdOffers, N, 4.0 / 25)) << holdOffers;
    EXPECT_TRUE(near(flags, N, 1.0 / 3)) << flags;
    EXPECT_NEAR(double(nudgeTotal) / nudgeOffers, 3.0, 0.3);  // 1 to 5, evenly
    // While a prize waits, no offer, and the F flag keeps its value.
    m.prize = 10;
    m.featureHold = 1;
    m.nudges = m.holdOffer = 0;
    const size_t sounds = headless::Sounds().size();
    OfferFeatures(m);
    EXPECT_EQ(m.nudges + m.holdOffer, 0);
    EXPECT_EQ(m.featureHold, 1);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"feature.wav"}));
}

TEST_F(Play, RandomSpinIsFreeAndKeepsTheFeatureCountOnlyWithTheFlag) {
    m.featureCount = 20;
    m.featureHold = 1;
    UpdateButtons(m);
    ASSERT_TRUE(Enabled(CMD_RANDOM));
    TapButton(CMD_RANDOM);
    Pump(100);
    EXPECT_EQ(m.credit, 0);
    EXPECT_GE(m.featureCount, 20);
    // Every RANDOM spin lands on a paying line.
    EXPECT_GT(m.prize + m.bank, 0);
    m.featureCount = 20;
    m.featureHold = m.prize = 0;
    UpdateButtons(m);
    TapButton(CMD_RANDOM);
    Pump(100);
    EXPECT_EQ(m.featureCount, FeaturePoints(m.reels));
}

// What a reel window shows, worked out pixel by pixel from the symbol
// picture: five tiles 50 pixels apart from strip index position - 2, the
// first at offset - 50, over white; a held reel's symbols half faded.
uint16_t ExpectedReelPixel(const Reel& r, int reel, int x, int y) {
    const int k = (y - r.offset + 50) / 50;  // y - offset + 50 is 1..248
    const int symbol = ReelStrips[reel][((r.position - 2 + k) % 10 + 10) % 10];
    const int sy = y - (50 * k - 50 + r.offset);
    const uint16_t pixel =
        SymbolImage.pixels[(SymbolTiles[symbol][1] + sy) * SymbolImage.width + SymbolTiles[symbol][0] + x];
    if (pixel == SymbolImage.pixels[0]) return 0xFFFF;
    return r.held ? BlendColour(0xFFFF, pixel, 128) : pixel;
}

TEST_F(Play, ReelWindowsShowTheirStripsAtEveryPositionOffsetAndHold) {
    Surface screen;
    ASSERT_TRUE(screen.Create(240, 320));
    ReelSet reels;
    for (int position = 0; position < 10; ++position) {
        for (int offset : {-49, -41, -30, -10, -1, 0, 1, 9, 25, 40, 49}) {
            for (int i = 0; i < REEL_COUNT; ++i) {
                reels.reel[i].position = (position + 3 * i) % 10;
                reels.reel[i].offset = offset;
                reels.reel[i].held = ((position + offset + i) & 1);
            }
            screen.Fill(0x1234);
            DrawReels(reels, screen);
            for (int i = 0; i < REEL_COUNT; ++i)
                for (int y = 0; y < REEL_HEIGHT; ++y)
                    for (int x = 0; x < REEL_WIDTH; ++x)
                        ASSERT_EQ(screen.pixels[(REEL_TOP + y) * 240 + REEL_LEFT + REEL_PITCH * i + x],
                                  ExpectedReelPixel(reels.reel[i], i, x, y))
                            << "reel " << i << " position " << reels.reel[i].position << " offset " << offset
                            << " held " << reels.reel[i].held << " at " << x << "," << y;
            // Nothing outside the windows.
            EXPECT_EQ(screen.pixels[(REEL_TOP - 1) * 240 + REEL_LEFT], 0x1234);
            EXPECT_EQ(screen.pixels[(REEL_TOP + REEL_HEIGHT) * 240 + REEL_LEFT], 0x1234);
            EXPECT_EQ(screen.pixels[REEL_TOP * 240 + REEL_LEFT + REEL_WIDTH], 0x1234);
        }
    }
}

}  // namespace
