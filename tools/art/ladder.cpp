// The gamble ladder's lamps and the two buttons of the ladder screen. Each
// lamp comes twice, unlit and lit: the unlit one is dull glass in a chrome
// ring, the lit one glows, so the player sees the climb at a glance.
#include <array>
#include <cmath>

#include "draw.h"
#include "pictures.h"

namespace art {
namespace {

constexpr Colour kInk = Hex(0x1a1218);
constexpr Colour kGlint = Hex(0xf0f0ec);
constexpr double kCentre = ladder::kTile / 2.0;

enum class Lamp { kRound, kStar };
enum Link : unsigned { kUp = 1, kDown = 2, kLeft = 4, kRight = 8 };
enum class Flow { kNone, kUpward, kDownward, kRightward };

struct LampStyle {
    Lamp lamp;
    unsigned links;  // which tile edges the track leaves by
    Flow flow;       // the way the climb runs through it
};

// By pair: the left column climbing up, the corners and top prize, the top
// span, two spares no rung shows, the right column coming down.
constexpr std::array<LampStyle, 6> kStyles{{
    {Lamp::kRound, kUp | kDown, Flow::kUpward},
    {Lamp::kStar, 0, Flow::kNone},
    {Lamp::kRound, kLeft | kRight, Flow::kRightward},
    {Lamp::kRound, 0, Flow::kNone},
    {Lamp::kRound, 0, Flow::kNone},
    {Lamp::kRound, kUp | kDown, Flow::kDownward},
}};

void Glow(cairo_t* cr, double radius) {
    cairo_new_path(cr);
    cairo_arc(cr, kCentre, kCentre, radius, 0, 2 * M_PI);
    RadialFill(cr, kCentre, kCentre, radius * 0.55, kCentre, kCentre, radius,
               {{0, Hex(0xffa020, 0.85)}, {0.5, Hex(0xffc040, 0.35)}, {1, Hex(0xffd060, 0)}});
    cairo_fill(cr);
}

void Chevron(cairo_t* cr, double x, double y, double angle, Colour colour) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, -4, 2.2);
    cairo_line_to(cr, 0, -2);
    cairo_line_to(cr, 4, 2.2);
    cairo_restore(cr);
    SetColour(cr, colour);
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// The track between lamps: a short bar from the lamp to the tile edge.
void Track(cairo_t* cr, unsigned links, Flow flow, bool lit) {
    const std::array<std::pair<Link, double>, 4> kEdges{
        {{kUp, -M_PI / 2}, {kDown, M_PI / 2}, {kLeft, M_PI}, {kRight, 0}}};
    const double flowAngle = flow == Flow::kUpward ? 0 : flow == Flow::kDownward ? M_PI : M_PI / 2;
    for (const auto& [link, angle] : kEdges) {
        if (!(links & link)) continue;
        cairo_save(cr);
        cairo_translate(cr, kCentre, kCentre);
        cairo_rotate(cr, angle);
        cairo_rectangle(cr, 24, -8, 17, 16);
        cairo_restore(cr);
        if (lit) {
            LinearFill(cr, 0, 0, 0, ladder::kTile, {{0, Hex(0xffe070)}, {1, Hex(0xe09010)}});
        } else {
            SetColour(cr, Hex(0x5c5c68));
        }
        FillAndOutline(cr, kInk, 2.2);
        const double dx = std::cos(angle) * 34, dy = std::sin(angle) * 34;
        Chevron(cr, kCentre + dx, kCentre + dy, flowAngle, lit ? Hex(0x6a3a00) : Hex(0xa8a8b4));
    }
}

void RoundLamp(cairo_t* cr, bool lit) {
    if (lit) Glow(cr, 40);
    cairo_new_path(cr);
    cairo_arc(cr, kCentre, kCentre, 29, 0, 2 * M_PI);
    LinearFill(cr, 10, 10, 70, 70, {{0, Hex(0xeef0f4)}, {0.45, Hex(0x8c94a4)}, {0.7, Hex(0xdde0e8)}, {1, Hex(0x4c5262)}});
    FillAndOutline(cr, kInk, 2.4);
    cairo_new_path(cr);
    cairo_arc(cr, kCentre, kCentre, 23.5, 0, 2 * M_PI);
    if (lit) {
        RadialFill(cr, kCentre - 5, kCentre - 6, 1, kCentre, kCentre, 24,
                   {{0, Hex(0xfffae0)}, {0.3, Hex(0xffe860)}, {0.75, Hex(0xffa800)}, {1, Hex(0xe06000)}});
    } else {
        RadialFill(cr, kCentre - 5, kCentre - 6, 1, kCentre, kCentre, 24,
                   {{0, Hex(0x6e4a3c)}, {0.5, Hex(0x3e2018)}, {1, Hex(0x1c0c08)}});
    }
    FillAndOutline(cr, kInk, 2.0);
    // Fresnel rings moulded into the glass, lit or not.
    for (double r : {8.0, 14.0, 20.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, kCentre, kCentre, r, 0, 2 * M_PI);
        SetColour(cr, lit ? Hex(0xc06000, 0.35) : Hex(0x000000, 0.35));
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    cairo_arc(cr, kCentre - 9, kCentre - 10, lit ? 6 : 4.5, 0, 2 * M_PI);
    RadialFill(cr, kCentre - 9, kCentre - 10, 0, kCentre - 9, kCentre - 10, lit ? 6 : 4.5,
               {{0, WithAlpha(kGlint, lit ? 0.95 : 0.45)}, {1, WithAlpha(kGlint, 0)}});
    cairo_fill(cr);
}

void StarLamp(cairo_t* cr, bool lit) {
    if (lit) Glow(cr, 40);
    StarPath(cr, kCentre, kCentre + 2, 36, 16, 5, 0);
    if (lit) {
        RadialFill(cr, kCentre - 4, kCentre - 4, 1, kCentre, kCentre, 36,
                   {{0, Hex(0xfffad8)}, {0.35, Hex(0xffe040)}, {1, Hex(0xe08000)}});
    } else {
        RadialFill(cr, kCentre - 4, kCentre - 4, 1, kCentre, kCentre, 36,
                   {{0, Hex(0x7a6a4a)}, {0.5, Hex(0x4a3e26)}, {1, Hex(0x282012)}});
    }
    FillAndOutline(cr, kInk, 3.0);
    StarPath(cr, kCentre, kCentre + 2, 20, 9, 5, 0);
    SetColour(cr, lit ? Hex(0xfff0a0, 0.7) : Hex(0x9a8a6a, 0.35));
    cairo_fill(cr);
}

void DrawLamp(cairo_t* cr, const LampStyle& style, bool lit) {
    Track(cr, style.links, style.flow, lit);
    if (style.lamp == Lamp::kStar) {
        StarLamp(cr, lit);
    } else {
        RoundLamp(cr, lit);
    }
}

struct ButtonStyle {
    const char* label;
    double fontSize;
    Colour light, mid, dark;
};

void UpArrow(cairo_t* cr, double cx, double top) {
    cairo_new_path(cr);
    cairo_move_to(cr, cx, top);
    cairo_line_to(cr, cx + 11, top + 11);
    cairo_line_to(cr, cx + 5, top + 11);
    cairo_line_to(cr, cx + 5, top + 18);
    cairo_line_to(cr, cx - 5, top + 18);
    cairo_line_to(cr, cx - 5, top + 11);
    cairo_line_to(cr, cx - 11, top + 11);
    cairo_close_path(cr);
    SetColour(cr, Hex(0xf4f4ee));
    FillAndOutline(cr, kInk, 2.2);
}

void Coins(cairo_t* cr, double cx, double top) {
    for (int i = 2; i >= 0; --i) {
        const double y = top + 5 + i * 4.5;
        cairo_save(cr);
        cairo_translate(cr, cx, y);
        cairo_scale(cr, 10, 3.6);
        cairo_new_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        LinearFill(cr, cx - 10, 0, cx + 10, 0, {{0, Hex(0xb07a10)}, {0.4, Hex(0xffe27a)}, {1, Hex(0xb07a10)}});
        FillAndOutline(cr, kInk, 1.6);
    }
}

void Button(cairo_t* cr, const ButtonStyle& style, bool climb) {
    const double c = buttons::kSize / 2.0;
    cairo_new_path(cr);
    cairo_arc(cr, c, c, 37, 0, 2 * M_PI);
    LinearFill(cr, 8, 8, 72, 72, {{0, Hex(0xf0f2f6)}, {0.45, Hex(0x8a92a2)}, {0.7, Hex(0xdadee6)}, {1, Hex(0x464c5c)}});
    FillAndOutline(cr, kInk, 2.4);
    cairo_new_path(cr);
    cairo_arc(cr, c, c, 31, 0, 2 * M_PI);
    RadialFill(cr, c - 8, c - 10, 2, c, c, 32, {{0, style.light}, {0.55, style.mid}, {1, style.dark}});
    FillAndOutline(cr, kInk, 2.0);
    cairo_save(cr);
    cairo_translate(cr, c, c - 16);
    cairo_scale(cr, 22, 10);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    LinearFill(cr, 0, c - 26, 0, c - 6, {{0, WithAlpha(kGlint, 0.6)}, {1, WithAlpha(kGlint, 0)}});
    cairo_fill(cr);
    if (climb) {
        UpArrow(cr, c, 17);
    } else {
        Coins(cr, c, 16);
    }
    SetFont(cr, Face::kSansBold, style.fontSize);
    OutlinedText(cr, style.label, c, 55, Hex(0xf4f4ee), Hex(0xe0e0d8), kInk, 3.2);
}

}  // namespace

Picture DrawLadderSheet() {
    Canvas canvas(ladder::kSheetW, ladder::kSheetH, Hex(0xffffff));
    cairo_t* cr = canvas.cr();
    for (size_t pair = 0; pair < ladder::kPairs.size(); ++pair) {
        const ladder::Pair& p = ladder::kPairs[pair];
        for (bool lit : {false, true}) {
            cairo_save(cr);
            cairo_translate(cr, lit ? p.litX : p.darkX, lit ? p.litY : p.darkY);
            cairo_rectangle(cr, 0, 0, ladder::kTile, ladder::kTile);
            cairo_clip(cr);
            DrawLamp(cr, kStyles[pair], lit);
            cairo_restore(cr);
        }
    }
    return ReadSurface(canvas.surface());
}

Picture DrawButtonSheet() {
    const std::array<ButtonStyle, 2> kButtons{{
        {"CLIMB", 15, Hex(0x9cf59c), Hex(0x22b040), Hex(0x0a4a18)},
        {"COLLECT", 11.5, Hex(0xffc080), Hex(0xf06414), Hex(0x7a1c00)},
    }};
    Canvas canvas(buttons::kSheetW, buttons::kSheetH, Hex(0xffffff));
    cairo_t* cr = canvas.cr();
    for (size_t i = 0; i < kButtons.size(); ++i) {
        cairo_save(cr);
        cairo_translate(cr, buttons::kSize * static_cast<double>(i), 0);
        Button(cr, kButtons[i], i == 0);
        cairo_restore(cr);
    }
    return ReadSurface(canvas.surface());
}

}  // namespace art
