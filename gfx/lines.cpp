#include "gfx/lines.h"

void HLine(Surface& s, int32_t x, int32_t y, int32_t length, uint16_t colour) {
    if (DrawingOff) return;
    for (int32_t i = 0; i < length; ++i) s.PutPixel(x + i, y, colour);
}

void VLine(Surface& s, int32_t x, int32_t y, int32_t length, uint16_t colour) {
    if (DrawingOff) return;
    for (int32_t i = 0; i < length; ++i) s.PutPixel(x, y + i, colour);
}

void FrameRect(Surface& s, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour) {
    HLine(s, x1, y1, x2 - x1 + 1, colour);
    HLine(s, x1, y2, x2 - x1 + 1, colour);
    VLine(s, x1, y1, y2 - y1, colour);
    VLine(s, x2, y1, y2 - y1, colour);
}

// c1 + (c2 - c1) * t / 255, rounded as BlendColour rounds (arithmetic shifts).
static int Ramp(int c1, int c2, int t) {
    const int u = (c2 - c1) * t + 128;
    return c1 + ((u + (u >> 8)) >> 8);
}

void VerticalGradient(Surface& s, uint16_t top, uint16_t bottom) {
    if (DrawingOff) return;
    int r1, g1, b1, r2, g2, b2;
    SplitColour(top, &r1, &g1, &b1);
    SplitColour(bottom, &r2, &g2, &b2);
    for (int32_t y = 0; y < s.height; ++y) {
        const int t = 255 * y / s.height;
        const uint16_t colour = MakeColour(Ramp(r1, r2, t), Ramp(g1, g2, t), Ramp(b1, b2, t));
        HLine(s, 0, y, s.width, colour);
    }
}
