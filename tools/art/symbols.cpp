// The reel symbols. The game shrinks these tiles to 20 and 12 pixels by
// dropping rows and columns, so every symbol is a bold silhouette with a
// thick dark outline, told apart by shape first and colour second.
#include <array>
#include <cmath>

#include "draw.h"
#include "pictures.h"

namespace art {
namespace {

constexpr Colour kInk = Hex(0x1d1424);
constexpr double kLine = 3.0;
// Highlights stop short of white: anything at 248 or more in every channel
// would become the transparent key.
constexpr Colour kGlint = Hex(0xf0f0ec);

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry, double turn) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, turn);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void Gloss(cairo_t* cr, double cx, double cy, double rx, double ry, double turn, double strength) {
    Ellipse(cr, cx, cy, rx, ry, turn);
    RadialFill(cr, cx, cy, 0, cx, cy, std::fmax(rx, ry),
               {{0, WithAlpha(kGlint, strength)}, {0.6, WithAlpha(kGlint, strength * 0.55)}, {1, WithAlpha(kGlint, 0)}});
    cairo_fill(cr);
}

// A shaded ball: light from the upper left, dark rim, outlined.
void Ball(cairo_t* cr, double cx, double cy, double r, Colour light, Colour mid, Colour dark, double line) {
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    RadialFill(cr, cx - r * 0.4, cy - r * 0.45, r * 0.1, cx, cy, r * 1.05, {{0, light}, {0.55, mid}, {1, dark}});
    FillAndOutline(cr, kInk, line);
}

// An almond leaf from its stalk end towards its tip, with a midrib.
void Leaf(cairo_t* cr, double x0, double y0, double x1, double y1, double width) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double nx = -dy / std::hypot(dx, dy) * width, ny = dx / std::hypot(dx, dy) * width;
    cairo_new_path(cr);
    cairo_move_to(cr, x0, y0);
    cairo_curve_to(cr, x0 + dx * 0.3 + nx, y0 + dy * 0.3 + ny, x0 + dx * 0.75 + nx * 0.8, y0 + dy * 0.75 + ny * 0.8, x1, y1);
    cairo_curve_to(cr, x0 + dx * 0.75 - nx * 0.8, y0 + dy * 0.75 - ny * 0.8, x0 + dx * 0.3 - nx, y0 + dy * 0.3 - ny, x0, y0);
    cairo_close_path(cr);
    LinearFill(cr, x0 + nx, y0 + ny, x0 - nx, y0 - ny, {{0, Hex(0x8fe05a)}, {0.5, Hex(0x3fa82a)}, {1, Hex(0x1e6a14)}});
    FillAndOutline(cr, kInk, 2.4);
    cairo_move_to(cr, x0 + dx * 0.15, y0 + dy * 0.15);
    cairo_line_to(cr, x0 + dx * 0.8, y0 + dy * 0.8);
    SetColour(cr, Hex(0x1e5a14, 0.8));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// A stalk drawn as a dark line with a coloured core, so it survives shrinking.
void Stalk(cairo_t* cr, Colour core, double width) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, width + 2.4);
    cairo_stroke_preserve(cr);
    SetColour(cr, core);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void Lemon(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 25, 26);
    cairo_rotate(cr, -0.38);
    cairo_new_path(cr);
    cairo_move_to(cr, -23, 0);
    cairo_curve_to(cr, -21, -8, -12, -16, 0, -16);
    cairo_curve_to(cr, 12, -16, 21, -8, 23, 0);
    cairo_curve_to(cr, 21, 8, 12, 16, 0, 16);
    cairo_curve_to(cr, -12, 16, -21, 8, -23, 0);
    cairo_close_path(cr);
    RadialFill(cr, -7, -7, 1, 0, 0, 24, {{0, Hex(0xfff27a)}, {0.45, Hex(0xffd814)}, {1, Hex(0xc98e00)}});
    FillAndOutline(cr, kInk, kLine);
    Gloss(cr, -6, -8, 8, 3.2, -0.1, 0.85);
    // Pores along the lower side give the peel its texture.
    SetColour(cr, Hex(0xb88400, 0.55));
    for (int i = 0; i < 5; ++i) {
        cairo_new_path(cr);
        cairo_arc(cr, -10 + i * 5.5, 7 + (i % 2) * 2.5, 0.8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void Orange(cairo_t* cr) {
    Ball(cr, 25, 28, 19.5, Hex(0xffc870), Hex(0xff8c0a), Hex(0xc25200), kLine);
    SetColour(cr, Hex(0xb85000, 0.45));
    constexpr std::array<std::array<double, 2>, 9> kDimples{
        {{16, 34}, {22, 39}, {30, 37}, {36, 30}, {33, 22}, {27, 31}, {19, 27}, {38, 38}, {14, 40}}};
    for (const auto& d : kDimples) {
        cairo_new_path(cr);
        cairo_arc(cr, d[0], d[1], 0.9, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    Gloss(cr, 18, 20, 7, 4.5, -0.6, 0.8);
    cairo_new_path(cr);
    cairo_move_to(cr, 25, 10);
    cairo_line_to(cr, 26, 6);
    Stalk(cr, Hex(0x6b4a1e), 2.2);
    Leaf(cr, 26, 7, 43, 4, 5.5);
}

void Plum(cairo_t* cr) {
    cairo_new_path(cr);
    Ellipse(cr, 25, 28.5, 17, 19.5, 0.35);
    RadialFill(cr, 17, 19, 1, 25, 28, 21, {{0, Hex(0xe89ad0)}, {0.45, Hex(0xa82a84)}, {1, Hex(0x500c3c)}});
    FillAndOutline(cr, kInk, kLine);
    // The groove down one side is what makes it a plum and not a ball.
    cairo_move_to(cr, 27, 10.5);
    cairo_curve_to(cr, 36, 18, 38, 32, 32, 44);
    SetColour(cr, Hex(0x44082e, 0.85));
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    Gloss(cr, 17.5, 21, 5, 8, 0.35, 0.7);
    cairo_new_path(cr);
    cairo_move_to(cr, 26, 11);
    cairo_curve_to(cr, 26, 7, 28, 4, 31, 2.5);
    Stalk(cr, Hex(0x7a5428), 2.2);
}

void Melon(cairo_t* cr) {
    // A slice cut above the middle of the fruit, deeper than a half disc, so
    // it stays a solid wedge when shrunk.
    const double cx = 25, cy = 17, r = 22.5, cut = 6;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, 0.12);
    // Rind, pale band, then the flesh, each a smaller slice.
    auto half = [cr, cut](double radius) {
        const double a = std::asin(cut / radius);
        cairo_new_path(cr);
        cairo_arc(cr, 0, 0, radius, -a, M_PI + a);
        cairo_close_path(cr);
    };
    half(r);
    LinearFill(cr, 0, 0, 0, r, {{0, Hex(0x4fb83a)}, {1, Hex(0x1c6a18)}});
    FillAndOutline(cr, kInk, kLine);
    half(r - 4);
    SetColour(cr, Hex(0xd6eeb0));
    cairo_fill(cr);
    half(r - 6.5);
    RadialFill(cr, -4, 2, 1, 0, 0, r - 6, {{0, Hex(0xff8a8a)}, {0.5, Hex(0xf4283c)}, {1, Hex(0xc0102a)}});
    cairo_fill(cr);
    // Flat cut surface along the top.
    const double chord = std::sqrt(r * r - cut * cut);
    cairo_new_path(cr);
    cairo_move_to(cr, -chord, -cut);
    cairo_line_to(cr, chord, -cut);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, kLine);
    cairo_stroke(cr);
    constexpr std::array<std::array<double, 2>, 7> kSeeds{
        {{-10, 1}, {-2, 3}, {6, 1.5}, {13, 0}, {-6, 9}, {3, 10}, {-1, 15.5}}};
    for (const auto& s : kSeeds) {
        Ellipse(cr, s[0], s[1], 1.3, 2.3, s[0] * 0.06);
        SetColour(cr, Hex(0x1a0e10));
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void Cherry(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 14, 27);
    cairo_curve_to(cr, 16, 18, 22, 10, 28, 7);
    cairo_move_to(cr, 35, 25);
    cairo_curve_to(cr, 34, 17, 31, 11, 28, 7);
    Stalk(cr, Hex(0x5f8a1c), 2.4);
    Ball(cr, 14.5, 36, 10.5, Hex(0xff8a8a), Hex(0xe0142a), Hex(0x7a0014), kLine);
    Ball(cr, 35, 34, 10.5, Hex(0xff8a8a), Hex(0xe0142a), Hex(0x7a0014), kLine);
    Gloss(cr, 10.5, 31.5, 3.6, 2.4, -0.6, 0.95);
    Gloss(cr, 31, 29.5, 3.6, 2.4, -0.6, 0.95);
    Leaf(cr, 28, 7, 45, 10, 5.0);
}

// A bunch hanging at a slant from its stalk, so its outline is no plain
// triangle like the gem's.
void Grapes(cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, 25, 25);
    cairo_rotate(cr, 0.38);
    cairo_translate(cr, -25, -25);
    cairo_new_path(cr);
    cairo_move_to(cr, 25, 13);
    cairo_line_to(cr, 26, 3.5);
    Stalk(cr, Hex(0x7a5428), 2.2);
    constexpr double kR = 5.8;
    constexpr std::array<std::array<double, 2>, 10> kBerries{{{11, 17},
                                                               {20.5, 16},
                                                               {30, 16},
                                                               {39.5, 17},
                                                               {15.5, 26},
                                                               {25, 25.5},
                                                               {34.5, 26},
                                                               {20.2, 35},
                                                               {29.8, 35},
                                                               {25, 43.5}}};
    for (const auto& b : kBerries) Ball(cr, b[0], b[1], kR, Hex(0xc4a8ff), Hex(0x6a40d8), Hex(0x2a1480), 2.4);
    for (const auto& b : kBerries) Gloss(cr, b[0] - 2, b[1] - 2.2, 1.9, 1.3, -0.6, 0.9);
    Leaf(cr, 25.5, 9, 8, 9, 4.4);
    cairo_restore(cr);
}

void Bell(cairo_t* cr) {
    // Knob, clapper, body and rim, back to front. The knob is solid: a ring
    // would enclose a speck of background.
    cairo_new_path(cr);
    cairo_arc(cr, 25, 6.8, 3.6, 0, 2 * M_PI);
    RadialFill(cr, 24, 5.5, 0.5, 25, 6.8, 3.8, {{0, Hex(0xffe48a)}, {1, Hex(0xa86a00)}});
    FillAndOutline(cr, kInk, 2.4);
    cairo_new_path(cr);
    cairo_arc(cr, 25, 43.5, 4.2, 0, 2 * M_PI);
    RadialFill(cr, 24, 42, 0.5, 25, 43.5, 4.5, {{0, Hex(0xffe48a)}, {1, Hex(0x9a6400)}});
    FillAndOutline(cr, kInk, 2.6);
    cairo_new_path(cr);
    cairo_move_to(cr, 25, 9.5);
    cairo_curve_to(cr, 33, 9.5, 36.5, 14, 36.8, 21);
    cairo_curve_to(cr, 37, 29, 38.5, 33, 44, 38);
    cairo_line_to(cr, 6, 38);
    cairo_curve_to(cr, 11.5, 33, 13, 29, 13.2, 21);
    cairo_curve_to(cr, 13.5, 14, 17, 9.5, 25, 9.5);
    cairo_close_path(cr);
    LinearFill(cr, 6, 0, 44, 0,
               {{0, Hex(0x9a5c00)}, {0.28, Hex(0xffe27a)}, {0.5, Hex(0xffc21a)}, {0.8, Hex(0xd08a00)}, {1, Hex(0x8a5000)}});
    FillAndOutline(cr, kInk, kLine);
    RoundedRect(cr, 3.5, 35.5, 43, 6.5, 3.2);
    LinearFill(cr, 0, 35.5, 0, 42, {{0, Hex(0xffd65a)}, {1, Hex(0xa86a00)}});
    FillAndOutline(cr, kInk, 2.6);
    Gloss(cr, 18.5, 21, 2.6, 8.5, 0.12, 0.9);
}

void Seven(cairo_t* cr) {
    cairo_save(cr);
    // A forward lean, sheared about the middle so the figure stays centred.
    cairo_matrix_t lean;
    cairo_matrix_init(&lean, 1, 0, -0.16, 1, 0.16 * 25, 0);
    cairo_transform(cr, &lean);
    cairo_new_path(cr);
    cairo_move_to(cr, 8, 5.5);
    cairo_line_to(cr, 43, 5.5);
    cairo_line_to(cr, 43, 14);
    cairo_curve_to(cr, 35, 23, 30.5, 32, 29.5, 45);
    cairo_line_to(cr, 16.5, 45);
    cairo_curve_to(cr, 17.5, 33, 22.5, 24, 29, 16);
    cairo_line_to(cr, 18, 16);
    cairo_line_to(cr, 17, 20.5);
    cairo_line_to(cr, 8, 20.5);
    cairo_close_path(cr);
    LinearFill(cr, 0, 5, 0, 45, {{0, Hex(0xff7060)}, {0.35, Hex(0xf01a24)}, {1, Hex(0x9a0010)}});
    FillAndOutline(cr, kInk, 3.4);
    Gloss(cr, 22, 9, 11, 2.2, 0, 0.75);
    cairo_restore(cr);
}

// One, two or three BAR slabs. The gaps are at least five pixels so that the
// twelve-pixel reel, which keeps about every fourth row, still shows them.
void Bars(cairo_t* cr, int count) {
    struct Layout {
        double h, gap, font;
    };
    constexpr std::array<Layout, 3> kLayouts{{{21, 0, 15}, {15, 6, 11.5}, {11, 5, 9.5}}};
    const Layout& l = kLayouts[count - 1];
    const double total = l.h * count + l.gap * (count - 1);
    double y = 25 - total / 2;
    for (int i = 0; i < count; ++i, y += l.h + l.gap) {
        RoundedRect(cr, 3.5, y, 43, l.h, 3);
        LinearFill(cr, 0, y, 0, y + l.h, {{0, Hex(0x4a4a5a)}, {0.45, Hex(0x1c1c26)}, {1, Hex(0x08080c)}});
        FillAndOutline(cr, kInk, 2.4);
        RoundedRect(cr, 6, y + 2.2, 38, l.h - 4.4, 1.8);
        SetColour(cr, Hex(0xe0a824, 0.9));
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        SetFont(cr, Face::kSansBold, l.font);
        cairo_new_path(cr);
        CentredTextPath(cr, "BAR", 25, y + l.h / 2 + l.font * 0.36);
        LinearFill(cr, 0, y, 0, y + l.h, {{0, Hex(0xfff0b0)}, {1, Hex(0xf0b020)}});
        // Slightly heavier than the face's own weight, so the letters keep
        // their strokes when every other column is dropped.
        cairo_set_line_width(cr, 0.7);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
}

void Gem(cairo_t* cr) {
    struct Facet {
        std::array<std::array<double, 2>, 4> corners;
        int count;
        unsigned colour;
    };
    // Crown (table and its four bevels) above the girdle, pavilion below.
    constexpr std::array<Facet, 9> kFacets{{
        {{{{15, 8}, {35, 8}, {31, 17}, {19, 17}}}, 4, 0xc8f6ff},
        {{{{15, 8}, {19, 17}, {4, 18}, {0, 0}}}, 3, 0x7fdcff},
        {{{{35, 8}, {46, 18}, {31, 17}, {0, 0}}}, 3, 0x2fa8ea},
        {{{{19, 17}, {31, 17}, {25, 18}, {0, 0}}}, 3, 0x9ae8ff},
        {{{{4, 18}, {19, 17}, {25, 46}, {0, 0}}}, 3, 0x4cc4f4},
        {{{{19, 17}, {31, 17}, {25, 46}, {0, 0}}}, 3, 0x1e90dc},
        {{{{31, 17}, {46, 18}, {25, 46}, {0, 0}}}, 3, 0x0c5ca8},
        {{{{4, 18}, {15, 8}, {19, 17}, {0, 0}}}, 3, 0x8fe2ff},
        {{{{46, 18}, {35, 8}, {31, 17}, {0, 0}}}, 3, 0x2a9ee0},
    }};
    for (const Facet& f : kFacets) {
        cairo_new_path(cr);
        for (int i = 0; i < f.count; ++i) cairo_line_to(cr, f.corners[i][0], f.corners[i][1]);
        cairo_close_path(cr);
        SetColour(cr, Hex(f.colour));
        cairo_fill_preserve(cr);
        SetColour(cr, Hex(0x0a3a6a, 0.5));
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, 15, 8);
    cairo_line_to(cr, 35, 8);
    cairo_line_to(cr, 46, 18);
    cairo_line_to(cr, 25, 46);
    cairo_line_to(cr, 4, 18);
    cairo_close_path(cr);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, kLine);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    StarPath(cr, 21, 12, 4.5, 1.2, 4, 0);
    SetColour(cr, WithAlpha(kGlint, 0.95));
    cairo_fill(cr);
}

}  // namespace

void DrawSymbol(cairo_t* cr, int symbol) {
    cairo_save(cr);
    switch (symbol) {
        case kLemon: Lemon(cr); break;
        case kOrange: Orange(cr); break;
        case kPlum: Plum(cr); break;
        case kMelon: Melon(cr); break;
        case kCherry: Cherry(cr); break;
        case kGrapes: Grapes(cr); break;
        case kBell: Bell(cr); break;
        case kSeven: Seven(cr); break;
        case kBar1: Bars(cr, 1); break;
        case kBar2: Bars(cr, 2); break;
        case kBar3: Bars(cr, 3); break;
        case kGem: Gem(cr); break;
        default: break;
    }
    cairo_restore(cr);
}

Picture DrawSymbolSheet() {
    Canvas canvas(symbols::kSheetW, symbols::kSheetH, Hex(0xffffff));
    cairo_t* cr = canvas.cr();
    for (int s = 0; s < symbols::kCount; ++s) {
        cairo_save(cr);
        const int x = symbols::kTile * (s % symbols::kPerRow), y = symbols::kTile * (s / symbols::kPerRow);
        cairo_rectangle(cr, x, y, symbols::kTile, symbols::kTile);
        cairo_clip(cr);
        cairo_translate(cr, x, y);
        DrawSymbol(cr, s);
        cairo_restore(cr);
    }
    return ReadSurface(canvas.surface());
}

}  // namespace art
