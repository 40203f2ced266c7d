// Playing the machine through its window, with taps and keys as a player
// gives them: the buttons in every state, spins and their sounds, holds and
// nudges, coins, banking and collecting, long random games, and the gamble
// ladder with taps placed against its lights.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <tuple>

#include "desktop/simulate.h"
#include "game/gamble_ladder.h"
#include "game/money.h"
#include "game/paytable.h"
#include "game/reels.h"
#include "game/spin.h"
#include "gfx/display.h"
#include "platform/os/folders.h"
#include "platform/platform.h"
#include "tests/machine_fixture.h"

namespace {

struct Play : MachineTest {
    void SetUp() override { NewGame(); }
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
    EXPECT_EQ(std::tie(m.credit, m.cash), std::make_tuple(99, 101));
    const size_t sounds = headless::Sounds().size();
    Coins(1);
    EXPECT_EQ(std::tie(m.credit, m.cash), std::make_tuple(99, 101));
    EXPECT_EQ(headless::Sounds().size(), sounds);  // no sound for a refused coin
}

TEST_F(Play, BankAndCollectCountOverStepByStep) {
    m.bank = 123;
    const size_t presents = headless::Presents().size();
    const uint64_t start = headless::NowUs();
    CollectBank(m);
    EXPECT_EQ(std::tie(m.bank, m.cash), std::make_tuple(0, 148));
    EXPECT_EQ(headless::Presents().size() - presents, 15u);  // 12 pounds, then 3 of ten pence
    EXPECT_GE(headless::NowUs() - start, 15 * 125000ull);

    SetReels(m, 0, 0, 0, 0);
    m.prize = 55;
    const int score = m.score;
    const size_t sounds = headless::Sounds().size();
    BankPrize(m);
    EXPECT_EQ(std::tie(m.prize, m.bank, m.score), std::make_tuple(0, 55, score + 55));
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"cashreg.wav"}));

    // COLLECT while a prize waits banks it; only the next one collects.
    m.prize = 20;
    UpdateButtons(m);
    TapButton(CMD_COLLECT);
    Pump(5000);
    EXPECT_EQ(std::tie(m.prize, m.bank), std::make_tuple(0, 75));
    TapButton(CMD_COLLECT);
    Pump(5000);
    EXPECT_EQ(std::tie(m.bank, m.cash), std::make_tuple(0, 148 + 75));
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

// Random taps on whatever is lit, the ladder climbed at random moments and
// every end-of-game question answered: after every tap the invariants the
// simulated player checks hold, and a game out of money has ended.
TEST_F(Play, LongRandomGamesKeepTheMachinesRules) {
    const int buttons[] = {CMD_HOLD1, CMD_HOLD2, CMD_HOLD3, CMD_HOLD4, CMD_COIN,
                           CMD_RANDOM, CMD_GAMBLE, CMD_COLLECT, CMD_SPIN};
    int ladders = 0, spins = 0, gameOvers = 0, saves = 0;
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
        if (seed == 1) SetReels(m, 3, 6, 7, 5);  // as a fresh program has them
        Reset(m);
        RedrawAll(m);
        After(700, answer);
        std::mt19937 pick(seed);
        int32_t staked = 0, score = 0;
        for (int tap = 0; tap < 1500; ++tap) {
            // Coins are bought when there is nothing to spin with, so that
            // the game lasts; a waiting prize is usually gambled.
            int id = buttons[pick() % 9];
            if (!m.credit && m.cash && pick() % 2) id = CMD_COIN;
            if (m.prize && pick() % 2) id = CMD_GAMBLE;
            if (!Enabled(id)) continue;
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
            SCOPED_TRACE(testing::Message() << "seed " << seed << " tap " << tap);
            if (gameOvers != before) {  // Play Again: a fresh game
                ASSERT_EQ(m.score, 0);
                staked = score = 0;
            }
            staked += id == CMD_SPIN && gameOvers == before;
            ASSERT_FALSE(IsOutOfMoney(m)) << "a game out of money always ends";
            ASSERT_EQ(CheckMachine(m, staked), "");
            ASSERT_FALSE(m.nudges && m.holdOffer);
            ASSERT_GE(m.score, score);
            score = m.score;
        }
    }
    EXPECT_GT(spins, 300);
    EXPECT_GE(ladders, 3) << spins << " spins";
    EXPECT_GE(gameOvers, 2);
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

constexpr int CLIMB_X = 120, CLIMB_Y = 280;
constexpr int COLLECT_X = 200, COLLECT_Y = 280;

struct Ladder : MachineTest {
    // Looks every 2 ms of virtual time for the moment when, on the ladder,
    // ready() holds, and then acts.
    void When(std::function<bool()> ready, std::function<void()> act) {
        After(2, [this, ready, act] {
            if (std::string(ShownScreen.name) == "ladder" && ready()) act();
            else When(ready, act);
        });
    }
    // Climbs on the next lit upper rung, n times in a row.
    void Climbs(int n, std::function<void()> then = [] {}) {
        if (n == 0) {
            then();
            return;
        }
        When([] { return ShownScreen.phase == 1; },
             [this, n, then] {
                 const int rung = ShownScreen.rung;
                 headless::Tap(CLIMB_X, CLIMB_Y);
                 // The next climb waits until this one has been taken.
                 When([rung] { return ShownScreen.rung == rung + 1 && ShownScreen.phase == 0; },
                      [this, n, then] { Climbs(n - 1, then); });
             });
    }
    void Offer(int32_t stake) {
        Reset(m);
        m.prize = stake;
        RedrawAll(m);
    }
    void Gamble() {
        TapButton(CMD_GAMBLE);
        Pump(30000);
    }
};

// A tap while the own rung is lit loses the stake; so does a quick second
// tap in the rest of the frame after a good climb.
TEST_F(Ladder, ATapOnTheOwnRungOrAQuickDoubleTapLosesTheStake) {
    Offer(30);
    const size_t sounds = headless::Sounds().size();
    When([] { return true; }, [] { headless::Tap(CLIMB_X, CLIMB_Y); });  // the very first frame
    Gamble();
    EXPECT_EQ(m.prize + m.bank + m.score, 0);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "fail.wav"}));
    EXPECT_STREQ(ShownScreen.name, "machine");
    EXPECT_FALSE(Enabled(CMD_GAMBLE));

    Offer(10);
    When([] { return ShownScreen.phase == 1; }, [this] {
        headless::Tap(CLIMB_X, CLIMB_Y);
        After(30, [] { headless::Tap(CLIMB_X, CLIMB_Y); });
    });
    Gamble();
    EXPECT_EQ(m.prize + m.bank, 0);
}

// The last money of a game lost on the ladder ends the game, as a losing
// spin would, so the machine is not left with every button dead; but a lit
// RANDOM is a free spin, and the game goes on for it.
TEST_F(Ladder, LosingTheLastMoneyEndsTheGameUnlessRandomIsLit) {
    for (const int32_t features : {14, 15}) {
        Offer(30);
        m.cash = 0;
        m.featureCount = features;
        RedrawAll(m);
        std::string asked;
        When([] { return true; }, [] { headless::Tap(CLIMB_X, CLIMB_Y); });
        std::function<void()> answer = [&] {
            if (std::string(ShownScreen.name) == "ladder") return After(20, answer);
            if (std::string(ShownScreen.name) != "prompt") return;
            asked = ShownScreen.title;
            headless::Tap(60, 300);  // Play Again
        };
        After(20, answer);
        Gamble();
        if (features < 15) {
            EXPECT_EQ(asked, "GAME OVER");
            EXPECT_EQ(m.cash, 25);
            EXPECT_TRUE(Enabled(CMD_COIN));
        } else {
            EXPECT_EQ(asked, "");
            EXPECT_STREQ(ShownScreen.name, "machine");
            EXPECT_TRUE(Enabled(CMD_RANDOM));
        }
    }
}

TEST_F(Ladder, SevenClimbsPayAHundredAndTwentyEightTimesTheStake) {
    Offer(3);
    const size_t sounds = headless::Sounds().size();
    Climbs(7);
    Gamble();
    EXPECT_EQ(std::tie(m.prize, m.bank, m.score), std::make_tuple(0, 3 * 128, 3 * 128));
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "win.wav", "cashreg.wav"}));
}

// Collect banks the value held, as the state line reports it; before any
// climb that is the stake. A tap beside both buttons changes nothing.
TEST_F(Ladder, CollectKeepsTheValueHeldAndBanksIt) {
    std::string shown;
    auto collect = [&shown] {
        shown = std::string(ShownScreen.name) + " " + std::to_string(ShownScreen.rung) + " " +
                std::to_string(ShownScreen.value);
        headless::Tap(COLLECT_X, COLLECT_Y);
    };
    Offer(20);
    Climbs(2, [&] { When([] { return true; }, collect); });
    Gamble();
    EXPECT_EQ(shown, "ladder 2 80");
    EXPECT_EQ(std::tie(m.bank, m.score), std::make_tuple(80, 80));

    Offer(20);
    When([] { return true; }, [&, this] {
        headless::Tap(40, 40);
        After(500, collect);
    });
    Gamble();
    EXPECT_EQ(shown, "ladder 0 20");
    EXPECT_EQ(m.bank, 20);
    EXPECT_STREQ(ShownScreen.name, "machine");
}

TEST_F(Ladder, TheLightsAlternateFasterWithEveryClimbAndStopWhileTheStylusIsHeld) {
    Offer(10);
    std::vector<std::pair<uint64_t, int>> flips;  // when the phase changed, and to what
    int lastPhase = -1, lastRung = -1;
    std::function<void()> watch = [&] {
        if (std::string(ShownScreen.name) == "ladder" &&
            (ShownScreen.phase != lastPhase || ShownScreen.rung != lastRung)) {
            flips.push_back({headless::NowUs(), ShownScreen.rung * 2 + ShownScreen.phase});
            lastPhase = ShownScreen.phase;
            lastRung = ShownScreen.rung;
        }
        if (std::string(ShownScreen.name) == "ladder" || flips.empty()) After(1, watch);
    };
    After(1, watch);
    Climbs(2, [this] {
        // On rung 2: let it alternate, then hold the stylus down beside the
        // buttons for a second, then collect.
        After(700, [this] {
            headless::StylusDown(40, 40);
            After(1000, [this] {
                headless::StylusUp();
                After(500, [] { headless::Tap(COLLECT_X, COLLECT_Y); });
            });
        });
    });
    Gamble();
    ASSERT_GE(flips.size(), 8u);
    // Between two flips on one rung: the frame time of that rung (200 ms
    // before any climb, 160 ms after two); never more, except while held.
    bool heldGapSeen = false;
    for (size_t i = 1; i < flips.size(); ++i) {
        const int rung = flips[i - 1].second / 2;
        if (flips[i].second / 2 != rung) continue;
        const uint64_t gap = flips[i].first - flips[i - 1].first;
        const uint64_t frame = (200 - 20 * rung) * 1000ull;
        if (gap > frame + 3000) {
            // The held stylus: one long frame lasting until it was lifted.
            EXPECT_EQ(rung, 2);
            EXPECT_GE(gap, 900000u);
            heldGapSeen = true;
        } else {
            EXPECT_NEAR(static_cast<double>(gap), static_cast<double>(frame), 3000.0) << "rung " << rung;
        }
    }
    EXPECT_TRUE(heldGapSeen);
    EXPECT_EQ(m.bank, 40);
}

TEST_F(Ladder, AStylusHeldAsTheWindowLosesTheFocusCountsAsLifted) {
    Offer(10);
    When([] { return true; }, [this] {
        headless::StylusDown(40, 40);
        After(300, [this] {
            headless::SetActive(false);
            After(1000, [] { headless::Tap(COLLECT_X, COLLECT_Y); });
        });
    });
    Gamble();
    EXPECT_EQ(m.bank, 10);
}

TEST_F(Ladder, ACloseRequestCollectsAndThenClosesTheProgram) {
    Offer(25);
    Climbs(1, [this] { After(50, [] { PlatformRequestClose(); }); });
    Gamble();
    EXPECT_EQ(std::tie(m.bank, m.score), std::make_tuple(50, 50));
    EXPECT_TRUE(windowGone);
}

// Without its pictures, or with one of the wrong size, the ladder hands the
// stake back, to be banked, and stops its looping sound. Run in a copy of
// this test program with its ladder pictures so spoilt beside it.
TEST_F(Ladder, MissingOrWrongPicturesReturnTheStake) {
    if (!std::getenv("VANTARO_LADDER_WITHOUT_PICTURES")) {
        const std::string folder = MakeTempFolder();
        ASSERT_TRUE(MakeFolder(folder + "/Images"));
        const std::filesystem::path exe = PlatformProgramFile(), self = folder / exe.filename();
        std::error_code error;
        ASSERT_TRUE(std::filesystem::copy_file(exe, self, error)) << error.message();
        // The picture spoilt, and what stands in its place (nothing: missing).
        const std::pair<std::string, const char*> rows[] = {
            {"climb.bmp", nullptr}, {"btns.bmp", nullptr}, {"climb.bmp", "btns.bmp"}};
        for (const auto& [spoilt, standIn] : rows) {
            for (const std::string name : {"climb.bmp", "btns.bmp"}) {
                std::remove((folder + "/Images/" + name).c_str());
                const char* from = name != spoilt ? name.c_str() : standIn;
                if (from)
                    WriteFile(folder + "/Images/" + name,
                              ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/" + from));
            }
            // A ladder played after all would wait for ever for a tap.
            RunResult r = ::Run({self.string(), "--gtest_filter=Ladder.MissingOrWrongPicturesReturnTheStake"},
                                {"VANTARO_LADDER_WITHOUT_PICTURES=1"}, 60);
            EXPECT_EQ(r.status, 0) << spoilt << " " << (standIn ? standIn : "missing") << "\n" << r.out << r.err;
            EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out;
        }
        return;
    }
    Offer(40);
    const size_t sounds = headless::Sounds().size();
    const uint16_t corner = m.screen.pixels[0];
    Gamble();
    EXPECT_EQ(std::tie(m.prize, m.bank, m.score), std::make_tuple(0, 40, 40));
    // The loop was started and stopped at once; then the banking's sound.
    const auto& log = headless::Sounds();
    ASSERT_GE(log.size(), sounds + 2);
    EXPECT_EQ(log[sounds].file, "nudge.wav");
    EXPECT_EQ(log[sounds + 1].outcome, "stop");
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "cashreg.wav"}));
    EXPECT_EQ(m.screen.pixels[0], corner);
}

TEST_F(Ladder, PicturesOfTheFirstFrameAndAfterTwoClimbs) {
    Offer(25);
    std::vector<uint16_t> first, climbed;
    When([] { return true; }, [&] { first = headless::Frame(); });
    Climbs(2, [&] {
        climbed = headless::Frame();
        headless::Tap(COLLECT_X, COLLECT_Y);
    });
    Gamble();
    ExpectGolden("ladder_first", first);
    ExpectGolden("ladder_two_climbs", climbed);
}

// A four-figure stake and the prize above it both stay inside the white box.
TEST_F(Ladder, AFourFigureStakeFitsTheBox) {
    Offer(25600);
    std::vector<uint16_t> first;
    When([] { return true; }, [&] {
        first = headless::Frame();
        headless::Tap(COLLECT_X, COLLECT_Y);
    });
    Gamble();
    EXPECT_EQ(m.bank, 25600);
    ExpectGolden("ladder_four_figures", first);
}

}  // namespace
