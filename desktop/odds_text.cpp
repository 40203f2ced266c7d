#include "desktop/odds_text.h"

#include <cinttypes>
#include <cstdio>

namespace {

// A count (never negative) out of SPIN_STOPS as a decimal: exact in four
// places.
std::string Decimal(int64_t count) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%04" PRId64, count / SPIN_STOPS, count % SPIN_STOPS);
    return text;
}

// A count out of SPIN_STOPS as a percentage: exact in two places.
std::string Percent(int64_t count) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%02" PRId64 " %%", count / 100, count % 100);
    return text;
}

void Row(std::string& out, const std::string& name, const PrizeOdds& p) {
    char text[160];
    std::snprintf(text, sizeof text, "  %-46s %4d  %5d/%d  %8s  %s\n", name.c_str(), static_cast<int>(p.payout),
                  static_cast<int>(p.stops), static_cast<int>(SPIN_STOPS), Percent(p.stops).c_str(),
                  Decimal(static_cast<int64_t>(p.stops) * p.payout).c_str());
    out += text;
}

}  // namespace

std::string OddsText(const SpinOdds& odds) {
    std::string out =
        "The odds of a plain spin, counted over all 10000 ways the four reels can stop\n"
        "(each reel on one of its ten strip positions, every way equally likely).\n"
        "Money in units of ten pence; a spin stakes one credit, one unit.\n\n";
    char text[160];
    std::snprintf(text, sizeof text, "  %-46s %4s  %11s  %8s  %s\n", "Prize (reels 1 to 4)", "Pays", "Stops", "Chance",
                  "Return");
    out += text;
    for (int row = 0; row < PAY_LINES; ++row) {
        std::string name;
        for (int i = 0; i < REEL_COUNT; ++i) name += std::string(i ? ", " : "") + SymbolName(PayTable[row].symbol[i]);
        Row(out, name, odds.line[row]);
    }
    Row(out, "bars of any kind on the win line", odds.bars);
    Row(out, "a cherry in every window", odds.cherries);
    out += "\n";
    std::snprintf(text, sizeof text, "  %-46s %4s  %5d/%d  %8s\n", "Any prize (the hit rate)", "",
                  static_cast<int>(odds.winningStops), static_cast<int>(SPIN_STOPS), Percent(odds.winningStops).c_str());
    out += text;
    std::snprintf(text, sizeof text, "  %-46s %4s  %5" PRId64 "/%d  %8s  %s\n", "Return per unit staked", "", odds.paid,
                  static_cast<int>(SPIN_STOPS), Percent(odds.paid).c_str(), Decimal(odds.paid).c_str());
    out += text;
    std::snprintf(text, sizeof text, "  %-46s %4s  %5" PRId64 "/%d  %8s  %s\n", "Feature points per spin (mean)", "",
                  odds.featurePoints, static_cast<int>(SPIN_STOPS), "", Decimal(odds.featurePoints).c_str());
    out += text;
    out += "\nHolds, nudges, RANDOM (at 15 feature points) and the gamble come on top;\n"
           "`vantaro --simulate N` measures what they add.\n";
    return out;
}
