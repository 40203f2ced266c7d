// The exact odds of a plain spin, counted from the tables the game plays
// with: the strips, the pay table, Evaluate and FeaturePoints.
//
// A plain spin (no holds) stops each reel on one of its ten strip positions,
// every one equally likely and independently of the others: reel 0 travels
// 10 + r0 symbol steps and each further reel 2 + ri more than the one before
// (StartSpin), with each ri drawn afresh from 0..9, so whatever the others
// do, one reel's draw alone moves it to each of its ten stops once. The
// 10,000 ways the four reels can stop are therefore equally likely, and
// counting them gives every chance exactly, as a number out of 10,000.
#pragma once
#include <cstdint>

#include "game/paytable.h"

constexpr int32_t SPIN_STOPS = 10000;  // STRIP_LENGTH to the power REEL_COUNT

// How many of the 10,000 stops pay one prize, and what it pays in units.
struct PrizeOdds {
    int32_t stops = 0;
    int32_t payout = 0;
};

struct SpinOdds {
    PrizeOdds line[PAY_LINES];  // by the rows of PayTable, in its order
    PrizeOdds bars;             // bars of any kind on all four win-line cells
    PrizeOdds cherries;         // a cherry in every reel window
    int32_t winningStops = 0;   // stops that pay anything: the hit rate's count
    int64_t paid = 0;           // the payouts of all 10,000 stops added up, in units
    int64_t featurePoints = 0;  // the feature points of all 10,000 stops added up
};

// Counts every stop of a plain spin. With one credit (one unit) staked per
// spin, paid / SPIN_STOPS is the return per unit staked.
SpinOdds PlainSpinOdds();

// The name of a symbol as the pay table shows it ("cherry", "triple bar";
// "any" for SYMBOL_ANY), "?" for a number with no symbol.
const char* SymbolName(uint8_t symbol);
