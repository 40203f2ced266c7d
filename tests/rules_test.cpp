// The rules of the machine against computations of their own: the pay table
// over every reel position, feature points, where spins come to rest, and the
// odds of a plain spin, worked out and as `vantaro --odds` prints them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "game/odds.h"
#include "game/paytable.h"
#include "game/reels.h"
#include "game/spin.h"
#include "platform/libc/glibc_random.h"
#include "tests/rules_reference.h"
#include "tests/support.h"

namespace {

using reference::ExpectedPayout;
using reference::ExpectedPoints;

ReelSet At(int p0, int p1, int p2, int p3) {
    ReelSet reels;
    const int p[4] = {p0, p1, p2, p3};
    for (int i = 0; i < 4; ++i) reels.reel[i].position = p[i];
    return reels;
}

// Every game is dealt from rand(). The browser's build draws from a
// generator of its own, which must deal exactly as the desktop's C library
// does from the same seed, or a page would play other games.
TEST(RandomNumbers, TheBrowsersGeneratorDealsAsTheDesktopsDoes) {
    for (const uint32_t seed : {0u, 1u, 4242u, 1000000u, 0xFFFFFFFFu}) {
        platform::GlibcRandom mine(seed);
        std::srand(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(mine.Next(), std::rand()) << seed << " #" << i;
    }
}

// Every stop pays and scores as the rules say, and the odds count it under
// the prize the rules pay for it; some cherry lines use the outer rows.
TEST(PayTable, EveryReelPositionPaysAndScoresAsTheRulesSayAndTheOddsCountIt) {
    int lines[PAY_LINES] = {}, bars = 0, cherries = 0, winning = 0, outerCherries = 0;
    int64_t paid = 0, points = 0;
    for (int n = 0; n < 10000; ++n) {
        const int p[4] = {n % 10, n / 10 % 10, n / 100 % 10, n / 1000};
        const ReelSet reels = At(p[0], p[1], p[2], p[3]);
        int want[4], got[4] = {9, 9, 9, 9}, symbol = 0;
        reference::Win win;
        const int payout = ExpectedPayout(p, want, &win, &symbol);
        ASSERT_EQ(Evaluate(reels, got), payout) << p[0] << p[1] << p[2] << p[3];
        ASSERT_EQ(Evaluate(reels), payout);
        for (int i = 0; i < 4; ++i) ASSERT_EQ(got[i], want[i]) << n << " reel " << i;
        ASSERT_EQ(FeaturePoints(reels), ExpectedPoints(p)) << n;
        paid += payout;
        winning += payout != 0;
        points += ExpectedPoints(p);
        bars += win == reference::Win::Bars;
        cherries += win == reference::Win::Cherries;
        outerCherries += win == reference::Win::Cherries && (want[0] || want[1] || want[2] || want[3]);
        if (win != reference::Win::Four && win != reference::Win::Three) continue;
        // The table's row of that symbol, four of it or three and any.
        int row = 0;
        while (PayTable[row].symbol[0] != symbol ||
               (PayTable[row].symbol[3] == SYMBOL_ANY) != (win == reference::Win::Three))
            ++row;
        ++lines[row];
    }
    EXPECT_GT(outerCherries, 0);
    const SpinOdds odds = PlainSpinOdds();
    for (int row = 0; row < PAY_LINES; ++row) {
        EXPECT_EQ(odds.line[row].stops, lines[row]) << "row " << row;
        EXPECT_EQ(odds.line[row].payout, PayTable[row].payout) << "row " << row;
    }
    EXPECT_EQ(std::tie(odds.bars.stops, odds.cherries.stops, odds.winningStops), std::tie(bars, cherries, winning));
    EXPECT_EQ(std::tie(odds.paid, odds.featurePoints), std::tie(paid, points));
    // The figures the rules come to.
    EXPECT_EQ(winning, 249);
    EXPECT_EQ(paid, 2628);
    EXPECT_EQ(points, 24000);
}

TEST(Reels, StepAsTheyShould) {
    // An up-moving reel: five frames of 10 pixels per symbol, 9 wraps to 0.
    Reel up{0, 10, 1, 0, 9, 0, 0};
    std::vector<int> offsets;
    while (StepReel(up)) offsets.push_back(up.offset);
    EXPECT_EQ(offsets, (std::vector<int>{-10, -20, -30, -40, 0}));
    EXPECT_EQ(up.position, 0);
    Reel down{1, 10, 1, 0, 0, 0, 0};
    offsets.clear();
    while (StepReel(down)) offsets.push_back(down.offset);
    EXPECT_EQ(offsets, (std::vector<int>{10, 20, 30, 40, 0}));
    EXPECT_EQ(down.position, 9);
    // A held reel does not move and counts itself done.
    Reel held{0, 10, 7, 0, 3, 0, 1};
    EXPECT_EQ(StepReel(held), 0);
    EXPECT_EQ(held.done, 7);
    EXPECT_EQ(held.position, 3);
}

// Where a reel comes to rest after travelling its target.
int RestingPlace(const Reel& r) { return ((r.position + (r.direction ? -r.target : r.target)) % 10 + 10) % 10; }

TEST(Spins, RandomSpinLandsOnTheDrawnRowFromEveryStart) {
    for (int row = 0; row < 20; ++row) {
        // A seed whose first draw picks this row.
        unsigned seed = 1;
        for (;; ++seed) {
            std::srand(seed);
            if (std::rand() % 20 == row) break;
        }
        for (int n = 0; n < 10000; ++n) {
            ReelSet reels = At(n % 10, n / 10 % 10, n / 100 % 10, n / 1000);
            std::srand(seed);
            StartRandomSpin(reels);
            int last = 0;
            for (int i = 0; i < 4; ++i) {
                const Reel& r = reels.reel[i];
                const int want = PayTable[row].symbol[i] == 255 ? ReelStrips[i][0] : PayTable[row].symbol[i];
                ASSERT_EQ(ReelStrips[i][RestingPlace(r)], want) << "row " << row << " start " << n << " reel " << i;
                ASSERT_EQ(r.direction, i % 2);
                // Each reel travels further than the one before, so they stop
                // left to right; the 8-bit target is never overrun.
                ASSERT_GT(r.target, last);
                ASSERT_LT(r.target, 51);
                last = r.target;
            }
        }
    }
}

TEST(Spins, NormalSpinTargetsStopLeftToRightWithEveryRestingPlaceReachable) {
    int seen[4][10] = {};
    std::srand(7);
    for (int n = 0; n < 5000; ++n) {
        ReelSet reels = At(3, 3, 3, 3);
        StartSpin(reels);
        ASSERT_GE(reels.reel[0].target, 10);
        ASSERT_LE(reels.reel[0].target, 19);
        for (int i = 1; i < 4; ++i) {
            ASSERT_GE(reels.reel[i].target, reels.reel[i - 1].target + 2);
            ASSERT_LE(reels.reel[i].target, reels.reel[i - 1].target + 11);
        }
        for (int i = 0; i < 4; ++i) seen[i][RestingPlace(reels.reel[i])]++;
    }
    for (int i = 0; i < 4; ++i)
        for (int p = 0; p < 10; ++p) EXPECT_GT(seen[i][p], 350) << i << "," << p;  // about 500 each
}


TEST(Odds, ProgramPrintsThemWithoutTouchingAnything) {
    const std::string data = MakeTempFolder();
    const RunResult r = ::Run({VANTARO_GAME, "--odds"}, {"VANTARO_DATA_DIR=" + data});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"triple bar, triple bar, triple bar, triple bar  200      1/10000    0.01 %  0.0200",
                             "cherry, cherry, cherry, any                      10      9/10000    0.09 %  0.0090",
                             "a cherry in every window                          2     77/10000    0.77 %  0.0154",
                             "249/10000    2.49 %", "2628/10000   26.28 %  0.2628", "24000/10000            2.4000"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_TRUE(ListFolder(data).empty());
}

}  // namespace
