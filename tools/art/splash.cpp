// The title picture shown while the game starts, and the program icon.
#include <array>
#include <cmath>

#include "draw.h"
#include "pictures.h"

namespace art {
namespace {

constexpr Colour kInk = Hex(0x16060e);
constexpr double kSunX = screen::kWidth / 2.0;
constexpr double kSunY = 92;
constexpr int kRays = 28;
constexpr double kTitleWidth = 196;
constexpr double kFrameInset = 5;
constexpr double kBulbSpacing = 17;

void Backdrop(cairo_t* cr) {
    RadialFill(cr, kSunX, kSunY, 10, kSunX, kSunY, 260,
               {{0, Hex(0x8a2aa8)}, {0.35, Hex(0x4a0c6a)}, {1, Hex(0x10021c)}});
    cairo_paint(cr);
    for (int i = 0; i < kRays; i += 2) {
        const double a0 = 2 * M_PI * i / kRays, a1 = 2 * M_PI * (i + 1) / kRays;
        cairo_move_to(cr, kSunX, kSunY);
        cairo_line_to(cr, kSunX + 400 * std::cos(a0), kSunY + 400 * std::sin(a0));
        cairo_line_to(cr, kSunX + 400 * std::cos(a1), kSunY + 400 * std::sin(a1));
        cairo_close_path(cr);
    }
    RadialFill(cr, kSunX, kSunY, 0, kSunX, kSunY, 240, {{0, Hex(0xffd060, 0.28)}, {1, Hex(0xffd060, 0.02)}});
    cairo_fill(cr);
}

// A chase of bulbs around a gold frame, as on the front of a real machine.
void Marquee(cairo_t* cr) {
    const double x0 = kFrameInset, y0 = kFrameInset;
    const double w = screen::kWidth - 2 * kFrameInset, h = screen::kHeight - 2 * kFrameInset;
    RoundedRect(cr, x0, y0, w, h, 10);
    SetColour(cr, Hex(0x2a0a06));
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    RoundedRect(cr, x0, y0, w, h, 10);
    LinearFill(cr, 0, 0, 0, screen::kHeight, {{0, Hex(0xffe080)}, {0.5, Hex(0xc88a18)}, {1, Hex(0xffd060)}});
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    const int across = static_cast<int>(w / kBulbSpacing), down = static_cast<int>(h / kBulbSpacing);
    int n = 0;
    auto bulb = [&](double x, double y) {
        const Colour c = n++ % 2 ? Hex(0xffb020) : Hex(0xfff0c0);
        cairo_new_path(cr);
        cairo_arc(cr, x, y, 2.6, 0, 2 * M_PI);
        RadialFill(cr, x - 0.7, y - 0.8, 0.2, x, y, 2.8, {{0, Lighter(c, 0.8)}, {0.6, c}, {1, Darker(c, 0.4)}});
        cairo_fill(cr);
    };
    for (int i = 0; i <= across; ++i) bulb(x0 + w * i / across, y0), bulb(x0 + w * i / across, y0 + h);
    for (int i = 1; i < down; ++i) bulb(x0, y0 + h * i / down), bulb(x0 + w, y0 + h * i / down);
}

void Title(cairo_t* cr) {
    SetFont(cr, Face::kSansBold, 44);
    cairo_save(cr);
    cairo_translate(cr, kSunX, 0);
    cairo_scale(cr, kTitleWidth / TextWidth(cr, "VANTARO"), 1.15);
    const double baseline = 100 / 1.15;
    // Shadow, a red rim, a dark keyline, then the gold face and its shine.
    cairo_new_path(cr);
    CentredTextPath(cr, "VANTARO", 2.5, baseline + 3);
    SetColour(cr, Hex(0x000000, 0.5));
    cairo_set_line_width(cr, 9);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_new_path(cr);
    CentredTextPath(cr, "VANTARO", 0, baseline);
    SetColour(cr, Hex(0xc8102a));
    cairo_set_line_width(cr, 10);
    cairo_stroke_preserve(cr);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 4.5);
    cairo_stroke_preserve(cr);
    LinearFill(cr, 0, baseline - 33, 0, baseline,
               {{0, Hex(0xfffbe0)}, {0.4, Hex(0xffd84a)}, {0.62, Hex(0xf0a010)}, {1, Hex(0xffd060)}});
    cairo_fill(cr);
    cairo_restore(cr);
}

void Subtitle(cairo_t* cr, double baseline) {
    SetFont(cr, Face::kSansBold, 10);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, kSunX, 0);
    cairo_scale(cr, 1.3, 1);
    CentredTextPath(cr, "PUB FRUIT MACHINE", 0, baseline);
    cairo_restore(cr);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 3);
    cairo_stroke_preserve(cr);
    SetColour(cr, Hex(0xfff0c8));
    cairo_fill(cr);
}

// Three reels stopped on a win, in chrome, the pay line behind the symbols.
void ReelBank(cairo_t* cr) {
    constexpr std::array<int, 3> kShown{kCherry, kSeven, kBell};
    constexpr double kTop = 146, kW = 58, kH = 78, kGap = 6;
    const double left = kSunX - (3 * kW + 2 * kGap) / 2;
    RoundedRect(cr, left - 8, kTop - 8, 3 * kW + 2 * kGap + 16, kH + 16, 8);
    LinearFill(cr, 0, kTop - 8, 0, kTop + kH + 8,
               {{0, Hex(0xf4f6fa)}, {0.3, Hex(0x8890a0)}, {0.6, Hex(0xe8ecf2)}, {1, Hex(0x4a5060)}});
    FillAndOutline(cr, kInk, 2);
    for (int i = 0; i < 3; ++i) {
        const double x = left + i * (kW + kGap);
        cairo_rectangle(cr, x, kTop, kW, kH);
        LinearFill(cr, 0, kTop, 0, kTop + kH,
                   {{0, Hex(0x9a9aa0)}, {0.22, Hex(0xf6f6f4)}, {0.78, Hex(0xf6f6f4)}, {1, Hex(0x9a9aa0)}});
        FillAndOutline(cr, kInk, 1.5);
        cairo_move_to(cr, x, kTop + kH / 2);
        cairo_line_to(cr, x + kW, kTop + kH / 2);
        SetColour(cr, Hex(0xe01020, 0.6));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, x + (kW - 54) / 2, kTop + (kH - 54) / 2);
        cairo_scale(cr, 54 / 50.0, 54 / 50.0);
        DrawSymbol(cr, kShown[i]);
        cairo_restore(cr);
    }
}

// A tumble of symbols under the reels.
void Scatter(cairo_t* cr) {
    struct Placed {
        int symbol;
        double x, y, size, turn;
    };
    constexpr std::array<Placed, 5> kPlaced{{
        {kLemon, 14, 246, 40, -0.3},
        {kBar1, 52, 258, 44, 0.12},
        {kGrapes, 96, 244, 44, -0.08},
        {kGem, 140, 262, 40, 0.15},
        {kOrange, 183, 246, 42, 0.25},
    }};
    for (const Placed& p : kPlaced) {
        cairo_save(cr);
        cairo_translate(cr, p.x + p.size / 2, p.y + p.size / 2);
        cairo_rotate(cr, p.turn);
        cairo_scale(cr, p.size / 50, p.size / 50);
        cairo_translate(cr, -25, -25);
        DrawSymbol(cr, p.symbol);
        cairo_restore(cr);
    }
}

}  // namespace

Picture DrawSplash() {
    Canvas canvas(screen::kWidth, screen::kHeight, Hex(0x000000));
    cairo_t* cr = canvas.cr();
    Backdrop(cr);
    Title(cr);
    Subtitle(cr, 126);
    ReelBank(cr);
    Scatter(cr);
    Marquee(cr);
    cairo_rectangle(cr, 0, 0, 1, 1);
    SetColour(cr, Hex(0x000000));
    cairo_fill(cr);
    return ReadSurface(canvas.surface());
}

// A cherry on a dark rounded tile with a gold rim: reads at 16 pixels in a
// task bar and at 256 on a desktop.
bool WriteIcon(int size, const std::string& path) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr();
    const double s = size;
    const double rim = std::fmax(1.0, s * 0.045);
    RoundedRect(cr, rim / 2, rim / 2, s - rim, s - rim, s * 0.2);
    RadialFill(cr, s * 0.4, s * 0.35, s * 0.05, s * 0.5, s * 0.5, s * 0.75,
               {{0, Hex(0x3c5ad0)}, {0.6, Hex(0x182a7a)}, {1, Hex(0x0a1034)}});
    cairo_fill_preserve(cr);
    LinearFill(cr, 0, 0, 0, s, {{0, Hex(0xffe68a)}, {0.5, Hex(0xd09a20)}, {1, Hex(0xffd060)}});
    cairo_set_line_width(cr, rim);
    cairo_stroke(cr);
    const double inner = s * 0.84;
    cairo_translate(cr, (s - inner) / 2, (s - inner) / 2 + s * 0.02);
    cairo_scale(cr, inner / 50, inner / 50);
    DrawSymbol(cr, kCherry);
    cairo_surface_flush(canvas.surface());
    return cairo_surface_write_to_png(canvas.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace art
