// Small drawing vocabulary over cairo shared by every picture: canvases,
// colours, gradients, common outlines and text in the DejaVu faces.
#pragma once
#include <initializer_list>
#include <string>

#include <cairo.h>

#include "layout.h"

namespace art {

// An RGBA colour in cairo's 0..1 terms; built from 0xRRGGBB literals.
struct Colour {
    double r, g, b, a = 1.0;
};
constexpr Colour Hex(unsigned rgb, double a = 1.0) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}
Colour Mix(Colour a, Colour b, double t);
Colour Lighter(Colour c, double t);  // towards white by t
Colour Darker(Colour c, double t);   // towards black by t
Colour WithAlpha(Colour c, double a);

// An image surface and its context, destroyed together.
class Canvas {
public:
    Canvas(int width, int height, Colour background);
    Canvas(int width, int height);  // fully transparent
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

void SetColour(cairo_t* cr, Colour c);
struct Stop {
    double at;
    Colour colour;
};
void LinearFill(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops);
void RadialFill(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                std::initializer_list<Stop> stops);
// Fills the current path with the current source, then strokes it dark.
void FillAndOutline(cairo_t* cr, Colour outline, double width);

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn);

// A rounded, bevelled plate: a light upper-left rim, a dark lower-right rim
// and a face graded from top to bottom.
void BevelPlate(cairo_t* cr, double x, double y, double w, double h, double r, Colour face, double depth);
// A recess: the same rims swapped, so it reads as sunk into the surface.
void Recess(cairo_t* cr, double x, double y, double w, double h, double r, Colour floor, double depth);

enum class Face { kSans, kSansBold, kMono, kMonoBold, kSerif, kSerifBold };
void SetFont(cairo_t* cr, Face face, double size);
double TextWidth(cairo_t* cr, const std::string& text);
// Adds the outline of text to the path, centred on cx with its baseline at y.
void CentredTextPath(cairo_t* cr, const std::string& text, double cx, double baseline);
// Text with a dark outline (stroked first so the fill stays whole) and a
// vertical gradient face.
void OutlinedText(cairo_t* cr, const std::string& text, double cx, double baseline, Colour top, Colour bottom,
                  Colour outline, double outlineWidth);
// Releases the font faces; cairo must no longer use them.
void ReleaseFonts();

}  // namespace art
