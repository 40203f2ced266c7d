// The odds of a plain spin against the rules worked out again, and as
// `vantaro --odds` prints them.
#include <gtest/gtest.h>

#include "game/odds.h"
#include "tests/rules_reference.h"
#include "tests/support.h"

namespace {

TEST(Odds, EveryStopIsCountedUnderThePrizeTheRulesPayForIt) {
    int lines[PAY_LINES] = {}, bars = 0, cherries = 0, winning = 0;
    int64_t paid = 0, points = 0;
    for (int n = 0; n < 10000; ++n) {
        const int p[4] = {n % 10, n / 10 % 10, n / 100 % 10, n / 1000};
        int rows[4], symbol = 0;
        reference::Win win;
        const int payout = reference::ExpectedPayout(p, rows, &win, &symbol);
        paid += payout;
        winning += payout != 0;
        points += reference::ExpectedPoints(p);
        if (win == reference::Win::Bars) ++bars;
        if (win == reference::Win::Cherries) ++cherries;
        if (win != reference::Win::Four && win != reference::Win::Three) continue;
        // The table's row of that symbol, four of it or three and any.
        int row = 0;
        while (PayTable[row].symbol[0] != symbol || (PayTable[row].symbol[3] == SYMBOL_ANY) != (win == reference::Win::Three))
            ++row;
        ++lines[row];
    }
    const SpinOdds odds = PlainSpinOdds();
    for (int row = 0; row < PAY_LINES; ++row) {
        EXPECT_EQ(odds.line[row].stops, lines[row]) << "row " << row;
        EXPECT_EQ(odds.line[row].payout, PayTable[row].payout) << "row " << row;
    }
    EXPECT_EQ(odds.bars.stops, bars);
    EXPECT_EQ(odds.cherries.stops, cherries);
    EXPECT_EQ(odds.winningStops, winning);
    EXPECT_EQ(odds.paid, paid);
    EXPECT_EQ(odds.featurePoints, points);
    // The figures the rules come to.
    EXPECT_EQ(winning, 249);
    EXPECT_EQ(paid, 2628);
    EXPECT_EQ(points, 24000);
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
