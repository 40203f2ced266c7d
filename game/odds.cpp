#include "game/odds.h"

namespace {

// The pay table's first row that the win line matches, as Evaluate reads it;
// -1 for none.
int MatchingLine(const ReelSet& reels) {
    for (int row = 0; row < PAY_LINES; ++row) {
        bool match = true;
        for (int i = 0; i < REEL_COUNT; ++i) {
            const uint8_t want = PayTable[row].symbol[i];
            if (want != SYMBOL_ANY && want != SymbolAt(i, reels.reel[i].position)) match = false;
        }
        if (match) return row;
    }
    return -1;
}

}  // namespace

SpinOdds PlainSpinOdds() {
    SpinOdds odds;
    for (int row = 0; row < PAY_LINES; ++row) odds.line[row].payout = PayTable[row].payout;
    odds.bars.payout = COMBO_PAYOUT;
    odds.cherries.payout = COMBO_PAYOUT;
    ReelSet reels;
    for (int32_t stop = 0; stop < SPIN_STOPS; ++stop) {
        int32_t rest = stop;
        for (Reel& r : reels.reel) {
            r.position = rest % STRIP_LENGTH;
            r.offset = 0;
            r.held = 0;
            rest /= STRIP_LENGTH;
        }
        int32_t rows[REEL_COUNT];
        const int32_t payout = Evaluate(reels, rows);
        odds.featurePoints += FeaturePoints(reels);
        if (payout == 0) continue;
        odds.winningStops += 1;
        odds.paid += payout;
        if (const int row = MatchingLine(reels); row >= 0) {
            odds.line[row].stops += 1;
            continue;
        }
        // Not a line of the table: one of the two combinations. Only the
        // cherries use the outer rows, or show cherries on the win line.
        bool cherries = false;
        for (int i = 0; i < REEL_COUNT; ++i) cherries = cherries || rows[i] != 0;
        bool allCherries = true;
        for (int i = 0; i < REEL_COUNT; ++i)
            allCherries = allCherries && SymbolAt(i, reels.reel[i].position) == SYMBOL_CHERRY;
        (cherries || allCherries ? odds.cherries : odds.bars).stops += 1;
    }
    return odds;
}

const char* SymbolName(uint8_t symbol) {
    static const char* const Names[SYMBOL_COUNT] = {"lemon", "orange", "plum",  "melon",      "cherry",      "grapes",
                                                    "bell",  "seven",  "bar",   "double bar", "triple bar", "gem"};
    if (symbol == SYMBOL_ANY) return "any";
    return symbol < SYMBOL_COUNT ? Names[symbol] : "?";
}
