#include "draw.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace art {
namespace {

// The files themselves, not a fontconfig match, so every machine with the
// DejaVu core fonts draws the same glyphs.
constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";
constexpr std::array<const char*, 6> kFontFiles{
    "DejaVuSans.ttf",     "DejaVuSans-Bold.ttf",  "DejaVuSansMono.ttf",
    "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf",
};

FT_Library gLibrary = nullptr;
std::array<cairo_font_face_t*, 6> gFaces{};
const cairo_user_data_key_t kFaceKey{};

void DoneFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

cairo_font_face_t* LoadFace(Face face) {
    const size_t i = static_cast<size_t>(face);
    if (gFaces[i]) return gFaces[i];
    if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) {
        std::fprintf(stderr, "vantaro_art: FreeType failed to start\n");
        std::exit(2);
    }
    const std::string path = std::string(kFontDir) + kFontFiles[i];
    FT_Face ftFace = nullptr;
    if (FT_New_Face(gLibrary, path.c_str(), 0, &ftFace) != 0) {
        std::fprintf(stderr, "vantaro_art: cannot load %s (install fonts-dejavu-core)\n", path.c_str());
        std::exit(2);
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    cairo_font_face_set_user_data(cairoFace, &kFaceKey, ftFace, DoneFace);
    gFaces[i] = cairoFace;
    return cairoFace;
}

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

void AddStops(cairo_pattern_t* pattern, std::initializer_list<Stop> stops) {
    for (const Stop& s : stops) {
        cairo_pattern_add_color_stop_rgba(pattern, s.at, s.colour.r, s.colour.g, s.colour.b, s.colour.a);
    }
}

}  // namespace

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}
Colour Lighter(Colour c, double t) { return Mix(c, {1, 1, 1, c.a}, Clamp01(t)); }
Colour Darker(Colour c, double t) { return Mix(c, {0, 0, 0, c.a}, Clamp01(t)); }
Colour WithAlpha(Colour c, double a) { return {c.r, c.g, c.b, a}; }

Canvas::Canvas(int width, int height, Colour background) : Canvas(width, height) {
    SetColour(cr_, background);
    cairo_paint(cr_);
}

Canvas::Canvas(int width, int height)
    : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr_(cairo_create(surface_)) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void SetColour(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void LinearFill(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    AddStops(p, stops);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void RadialFill(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                std::initializer_list<Stop> stops) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1);
    AddStops(p, stops);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void FillAndOutline(cairo_t* cr, Colour outline, double width) {
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::fmin(r, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn) {
    cairo_new_sub_path(cr);
    for (int i = 0; i < points * 2; ++i) {
        const double angle = turn - M_PI / 2 + i * M_PI / points;
        const double r = i % 2 ? inner : outer;
        cairo_line_to(cr, cx + r * std::cos(angle), cy + r * std::sin(angle));
    }
    cairo_close_path(cr);
}

// A rounded plate in two layers: a rim lit diagonally, and a face inset by
// depth. Raised and sunken plates differ only in which way their rim is lit.
static void TwoLayerPlate(cairo_t* cr, double x, double y, double w, double h, double r, double depth,
                          std::initializer_list<Stop> rim, std::initializer_list<Stop> face) {
    RoundedRect(cr, x, y, w, h, r);
    LinearFill(cr, x, y, x + w * 0.3, y + h, rim);
    cairo_fill(cr);
    RoundedRect(cr, x + depth, y + depth, w - 2 * depth, h - 2 * depth, std::fmax(r - depth, 0));
    LinearFill(cr, x, y, x, y + h, face);
    cairo_fill(cr);
}

void BevelPlate(cairo_t* cr, double x, double y, double w, double h, double r, Colour face, double depth) {
    TwoLayerPlate(cr, x, y, w, h, r, depth, {{0, Lighter(face, 0.55)}, {1, Darker(face, 0.55)}},
                  {{0, Lighter(face, 0.18)}, {0.5, face}, {1, Darker(face, 0.15)}});
}

void Recess(cairo_t* cr, double x, double y, double w, double h, double r, Colour floor, double depth) {
    TwoLayerPlate(cr, x, y, w, h, r, depth, {{0, Darker(floor, 0.6)}, {1, Lighter(floor, 0.45)}},
                  {{0, Darker(floor, 0.25)}, {1, floor}});
}

void SetFont(cairo_t* cr, Face face, double size) {
    cairo_set_font_face(cr, LoadFace(face));
    cairo_set_font_size(cr, size);
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.width;
}

void CentredTextPath(cairo_t* cr, const std::string& text, double cx, double baseline) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, baseline);
    cairo_text_path(cr, text.c_str());
}

void OutlinedText(cairo_t* cr, const std::string& text, double cx, double baseline, Colour top, Colour bottom,
                  Colour outline, double outlineWidth) {
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_new_path(cr);
    CentredTextPath(cr, text, cx, baseline);
    SetColour(cr, outline);
    cairo_set_line_width(cr, outlineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    LinearFill(cr, 0, baseline - fe.ascent * 0.75, 0, baseline, {{0, top}, {1, bottom}});
    cairo_fill(cr);
}

void ReleaseFonts() {
    for (cairo_font_face_t*& face : gFaces) {
        if (face) cairo_font_face_destroy(face);
        face = nullptr;
    }
    // cairo keeps recently used faces alive in its caches; emptying them
    // lets the FreeType faces go before the library does.
    cairo_debug_reset_static_data();
    if (gLibrary) FT_Done_FreeType(gLibrary);
    gLibrary = nullptr;
}

}  // namespace art
