// The rules of the machine against computations of their own: the pay table
// over every reel position, feature points, and where spins come to rest.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/paytable.h"
#include "game/reels.h"
#include "game/spin.h"
#include "platform/glibc_random.h"
#include "tests/machine_fixture.h"
#include "tests/rules_reference.h"

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
        GlibcRandom mine(seed);
        std::srand(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(mine.Next(), std::rand()) << seed << " #" << i;
    }
}

TEST(PayTable, EveryReelPositionPaysAndScoresAsTheRulesSay) {
    int wins = 0, cherryCombos = 0;
    for (int n = 0; n < 10000; ++n) {
        const int p[4] = {n % 10, n / 10 % 10, n / 100 % 10, n / 1000};
        const ReelSet reels = At(p[0], p[1], p[2], p[3]);
        int want[4], got[4] = {9, 9, 9, 9};
        const int payout = ExpectedPayout(p, want);
        ASSERT_EQ(Evaluate(reels, got), payout) << p[0] << p[1] << p[2] << p[3];
        ASSERT_EQ(Evaluate(reels), payout);
        for (int i = 0; i < 4; ++i) ASSERT_EQ(got[i], want[i]) << n << " reel " << i;
        ASSERT_EQ(FeaturePoints(reels), ExpectedPoints(p)) << n;
        wins += payout != 0;
        cherryCombos += payout == 2 && (want[0] || want[1] || want[2] || want[3]);
    }
    // Sanity of the counting itself: wins exist, and some cherry lines use
    // the outer rows.
    EXPECT_GT(wins, 100);
    EXPECT_GT(cherryCombos, 0);
}

TEST(PayTable, NamedLines) {
    // Positions chosen from the strips for each line of symbols.
    auto line = [](int a, int b, int c, int d) {
        ReelSet r;
        const int s[4] = {a, b, c, d};
        for (int i = 0; i < 4; ++i) r.reel[i].position = FindSymbol(i, s[i]);
        return r;
    };
    EXPECT_EQ(Evaluate(line(10, 10, 10, 10)), 200);
    EXPECT_EQ(Evaluate(line(10, 10, 10, 8)), 50);  // by the three-symbol row, not as bars
    EXPECT_EQ(Evaluate(line(8, 9, 10, 8)), 2);
    EXPECT_EQ(FeaturePoints(line(8, 9, 10, 8)), 7);
    EXPECT_EQ(Evaluate(line(4, 4, 4, 4)), 50);
    EXPECT_EQ(Evaluate(line(4, 4, 4, 2)), 10);
    EXPECT_EQ(Evaluate(line(0, 0, 1, 0)), 0);
    // Cherries at the top, bottom, win line and top of reels 0 to 3.
    ReelSet cherries = At(6, 8, 6, 1);
    int rows[4];
    EXPECT_EQ(Evaluate(cherries, rows), 2);
    EXPECT_EQ(std::vector<int>(rows, rows + 4), (std::vector<int>{-1, 1, 0, -1}));
    // Reel 3 showing 5, 0, 8 has no cherry: nothing, whatever the others show.
    EXPECT_EQ(Evaluate(At(6, 8, 6, 2)), 0);
}

TEST(Reels, StripsWrapAndStepAsTheyShould) {
    EXPECT_EQ(WrapIndex(-1), 9);
    EXPECT_EQ(WrapIndex(10), 0);
    EXPECT_EQ(WrapIndex(14), 4);
    EXPECT_EQ(WrapIndex(-10), 0);
    EXPECT_EQ(FindSymbol(3, 255), 0);
    EXPECT_EQ(FindSymbol(0, 3), 0);
    EXPECT_EQ(FindSymbol(2, 7), 9);
    for (int reel = 0; reel < 4; ++reel)
        for (int s : {0, 1, 2, 4, 5, 7, 8, 9, 10, 11}) EXPECT_EQ(ReelStrips[reel][FindSymbol(reel, s)], s);

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

}  // namespace
