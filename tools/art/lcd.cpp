// The two segment-display fonts. They are set pixel by pixel, no smoothing,
// so each holds exactly its lit, unlit and background colours: a pixel is
// lit or unlit when its centre falls inside a segment's outline.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "pictures.h"

namespace art {
namespace {

struct Point {
    double x, y;
};

struct Segment {
    Point from, to;
    double gap;   // drawn short of its ends by this much, so neighbours part
    double half;  // half its thickness
};

// How far from each end a segment takes to reach its full thickness.
constexpr double kTaper = 1.2;

bool Inside(const std::vector<Point>& polygon, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

// A segment is a long hexagon with bevelled ends, like the electrodes of a
// real display.
std::vector<Point> Outline(const Segment& s) {
    const double half = s.half;
    const double len = std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
    const Point d{(s.to.x - s.from.x) / len, (s.to.y - s.from.y) / len};
    const Point n{-d.y, d.x};
    const Point a{s.from.x + d.x * s.gap, s.from.y + d.y * s.gap};
    const Point b{s.to.x - d.x * s.gap, s.to.y - d.y * s.gap};
    return {a,
            {a.x + d.x * kTaper + n.x * half, a.y + d.y * kTaper + n.y * half},
            {b.x - d.x * kTaper + n.x * half, b.y - d.y * kTaper + n.y * half},
            b,
            {b.x - d.x * kTaper - n.x * half, b.y - d.y * kTaper - n.y * half},
            {a.x + d.x * kTaper - n.x * half, a.y + d.y * kTaper - n.y * half}};
}

void PaintSegment(Picture& p, int cellX, const Segment& s, Rgb colour) {
    const std::vector<Point> outline = Outline(s);
    const double half = s.half;
    const int left = static_cast<int>(std::fmin(s.from.x, s.to.x) - half - 1);
    const int right = static_cast<int>(std::fmax(s.from.x, s.to.x) + half + 1);
    const int top = static_cast<int>(std::fmin(s.from.y, s.to.y) - half - 1);
    const int bottom = static_cast<int>(std::fmax(s.from.y, s.to.y) + half + 1);
    for (int y = std::max(top, 0); y <= bottom && y < p.height; ++y) {
        for (int x = std::max(left, 0); x <= right; ++x) {
            if (Inside(outline, x + 0.5, y + 0.5)) p.At(cellX + x, y) = colour;
        }
    }
}

Picture Blank(int w, int h) {
    Picture p;
    p.width = w;
    p.height = h;
    p.pixels.assign(static_cast<size_t>(w) * h, kBlack);
    return p;
}

// Seven segments, in the order a..g: top, upper right, lower right, bottom,
// lower left, upper left, middle.
namespace seven {
constexpr double kL = 2.5, kR = 9.5, kT = 2.5, kM = 11.5, kB = 20.5, kGap = 0.8, kHalf = 1.5;
constexpr std::array<Segment, 7> kSegments{{
    {{kL, kT}, {kR, kT}, kGap, kHalf},
    {{kR, kT}, {kR, kM}, kGap, kHalf},
    {{kR, kM}, {kR, kB}, kGap, kHalf},
    {{kL, kB}, {kR, kB}, kGap, kHalf},
    {{kL, kM}, {kL, kB}, kGap, kHalf},
    {{kL, kT}, {kL, kM}, kGap, kHalf},
    {{kL, kM}, {kR, kM}, kGap, kHalf},
}};
// Bit i lights segment i; cells in the font's order.
constexpr std::array<unsigned, 13> kGlyphs{
    0b0111111, 0b0000110, 0b1011011, 0b1001111, 0b1100110, 0b1101101, 0b1111101,
    0b0000111, 0b1111111, 0b1101111, 0b0000000, 0b0000000, 0b1110001,
};
}  // namespace seven

// Sixteen segments: split top and bottom bars, four sides, split middle,
// two centre verticals and four diagonals.
namespace sixteen {
constexpr double kL = 3.5, kR = 20.5, kC = 12, kT = 3.5, kM = 20.5, kB = 37.5;
constexpr double kGap = 0.9, kHalf = 1.5, kSlantGap = 1.4, kSlantHalf = 1.3;
enum : unsigned {
    A1 = 1 << 0, A2 = 1 << 1, B = 1 << 2, C = 1 << 3, D1 = 1 << 4, D2 = 1 << 5, E = 1 << 6, F = 1 << 7,
    G1 = 1 << 8, G2 = 1 << 9, UP = 1 << 10, DOWN = 1 << 11,  // centre verticals above and below the middle
    UL = 1 << 12, UR = 1 << 13, LL = 1 << 14, LR = 1 << 15,  // diagonals from the centre to each corner
};
constexpr std::array<Segment, 16> kSegments{{
    {{kL, kT}, {kC, kT}, kGap, kHalf},
    {{kC, kT}, {kR, kT}, kGap, kHalf},
    {{kR, kT}, {kR, kM}, kGap, kHalf},
    {{kR, kM}, {kR, kB}, kGap, kHalf},
    {{kL, kB}, {kC, kB}, kGap, kHalf},
    {{kC, kB}, {kR, kB}, kGap, kHalf},
    {{kL, kM}, {kL, kB}, kGap, kHalf},
    {{kL, kT}, {kL, kM}, kGap, kHalf},
    {{kL, kM}, {kC, kM}, kGap, kHalf},
    {{kC, kM}, {kR, kM}, kGap, kHalf},
    {{kC, kT}, {kC, kM}, kGap, kHalf},
    {{kC, kM}, {kC, kB}, kGap, kHalf},
    {{kL, kT}, {kC, kM}, kSlantGap, kSlantHalf},
    {{kR, kT}, {kC, kM}, kSlantGap, kSlantHalf},
    {{kL, kB}, {kC, kM}, kSlantGap, kSlantHalf},
    {{kR, kB}, {kC, kM}, kSlantGap, kSlantHalf},
}};
constexpr unsigned kTop = A1 | A2, kBottom = D1 | D2, kMiddle = G1 | G2, kLeft = E | F, kRight = B | C;
constexpr std::array<unsigned, 27> kGlyphs{
    kTop | kLeft | kRight | kMiddle,                 // A
    kTop | kBottom | kRight | G2 | UP | DOWN,        // B
    kTop | kBottom | kLeft,                          // C
    kTop | kBottom | kRight | UP | DOWN,             // D
    kTop | kBottom | kLeft | G1 | G2,                // E
    kTop | kLeft | G1,                               // F
    kTop | kBottom | kLeft | C | G2,                 // G
    kLeft | kRight | kMiddle,                        // H
    kTop | kBottom | UP | DOWN,                      // I
    kRight | kBottom | E,                            // J
    kLeft | G1 | UR | LR,                            // K
    kLeft | kBottom,                                 // L
    kLeft | kRight | UL | UR,                        // M
    kLeft | kRight | UL | LR,                        // N
    kTop | kBottom | kLeft | kRight,                 // O
    kTop | kLeft | B | kMiddle,                      // P
    kTop | kBottom | kLeft | kRight | LR,            // Q
    kTop | kLeft | B | kMiddle | LR,                 // R
    kTop | kBottom | F | kMiddle | C,                // S
    kTop | UP | DOWN,                                // T
    kLeft | kRight | kBottom,                        // U
    kLeft | LL | UR,                                 // V
    kLeft | kRight | LL | LR,                        // W
    UL | UR | LL | LR,                               // X
    UL | UR | DOWN,                                  // Y
    kTop | kBottom | UR | LL,                        // Z
    0,                                               // blank
};
}  // namespace sixteen

// Unlit segments first, then lit ones over them: in a cell as narrow as
// these, a diagonal runs close beside the bars near its ends, and a lit
// stroke must reach its corner rather than stop short of an unlit bar.
template <size_t N>
void PaintCell(Picture& p, int cellX, const std::array<Segment, N>& segments, unsigned lit, Rgb on, Rgb off) {
    for (size_t i = 0; i < N; ++i) {
        if (!(lit >> i & 1)) PaintSegment(p, cellX, segments[i], off);
    }
    for (size_t i = 0; i < N; ++i) {
        if (lit >> i & 1) PaintSegment(p, cellX, segments[i], on);
    }
}

}  // namespace

Picture DrawLcdDigits() {
    Picture p = Blank(lcd::kCellW * lcd::kCells, lcd::kCellH);
    for (int cell = 0; cell < lcd::kCells; ++cell) {
        const int x = cell * lcd::kCellW;
        PaintCell(p, x, seven::kSegments, seven::kGlyphs[cell], lcd::kLit, lcd::kUnlit);
        if (cell == lcd::kPoint) {
            for (int dy = 18; dy <= 20; ++dy) {
                for (int dx = 5; dx <= 7; ++dx) p.At(x + dx, dy) = lcd::kLit;
            }
        }
    }
    return p;
}

Picture DrawLcdLetters() {
    Picture p = Blank(lcdalpha::kCellW * lcdalpha::kCells, lcdalpha::kCellH);
    for (int cell = 0; cell < lcdalpha::kCells; ++cell) {
        PaintCell(p, cell * lcdalpha::kCellW, sixteen::kSegments, sixteen::kGlyphs[cell], lcdalpha::kLit,
                  lcdalpha::kUnlit);
    }
    return p;
}

}  // namespace art
