// Reading the win line: the pay table, the two combinations, the feature
// points of the bars, and the pulse that shows a win.
#pragma once
#include <cstdint>

#include "game/reels.h"
#include "gfx/surface.h"

// Four symbols, reel 0 to reel 3 (SYMBOL_ANY matches any), and the payout
// in units of ten pence.
struct PayLine {
    uint8_t symbol[REEL_COUNT];
    int32_t payout;
};

constexpr int PAY_LINES = 20;
extern const PayLine PayTable[PAY_LINES];
// Bars of any kind on all four win-line cells, or a cherry in every window.
constexpr int32_t COMBO_PAYOUT = 2;

// The payout of the reels at rest, 0 for none. rows, when given, receives
// per reel the row that shows the winning symbol: -1 top, 0 win line, +1
// bottom (only the cherry combination uses the outer rows).
int32_t Evaluate(const ReelSet& reels, int32_t* rows = nullptr);
// The bars on the win line: 1, 2 and 3 points for symbols 8, 9 and 10.
int32_t FeaturePoints(const ReelSet& reels);
// Swells and fades each winning symbol in turn, presenting every frame, and
// leaves the back buffer as it was. 1 if there was a win to show.
int ShowWinPulse(const ReelSet& reels, Surface& screen);
