// Surfaces and colour: 16-bit pictures in the display's native pixel format,
// and the three colour functions every drawing routine is built on.
#pragma once
#include <cstdint>

// Native pixel formats, as the display reports them in its format flags.
constexpr uint32_t PIXEL_FORMAT_565 = 0x80;  // red 15-11, green 10-5, blue 4-0
constexpr uint32_t PIXEL_FORMAT_555 = 0x40;  // red 14-10, green 9-5, blue 4-0

// Drawing switched off: fills, blits, stretch blits, text, lines, gradients,
// fades and the copy of a frame into the display return at once and leave
// every pixel as it was (a copy still makes its Surface the source's size).
// The game's logic is untouched and a present still takes its 1/60 s slot,
// so a game plays and takes its time exactly as with drawing on; for
// simulations, which need the one and not the pictures. False by default.
extern bool DrawingOff;

// The format every colour function packs for. InitGraphics sets it from the
// display; with neither flag set the colour functions yield 0.
void SetPixelFormatFlags(uint32_t flags);
uint32_t PixelFormatFlags();

// A width x height picture of native pixels, row 0 at the top, no padding.
// Owns its pixels; empty means no pixels and a size of 0 x 0. Never copied by
// assignment: CopyFrom copies the picture.
struct Surface {
    uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t transparent = 0;  // key colour skipped by the keyed blit modes
    uint8_t alpha = 255;       // opacity of the blending blit modes

    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Allocates width x height pixels (contents undefined). A zero (or
    // negative) dimension fails and leaves the Surface as it was; a failed
    // allocation leaves it empty.
    bool Create(int32_t w, int32_t h);
    bool Free();
    void Fill(uint16_t colour);
    // Right and bottom edges exclusive; no clipping.
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour);
    void SetTransparent(uint16_t colour) { transparent = colour; }
    void SetAlpha(uint8_t a) { alpha = a; }
    // No bounds check: callers keep inside the Surface.
    void PutPixel(int32_t x, int32_t y, uint16_t colour) { pixels[y * width + x] = colour; }
    // Copies source's picture (not its key or alpha), re-creating this
    // Surface at the source's size when the sizes differ.
    bool CopyFrom(const Surface& source);
};

uint16_t MakeColour(int red, int green, int blue);
void SplitColour(uint16_t pixel, int* red, int* green, int* blue);
// d mixed towards s by alpha / 255, each field rounded the same way:
// exactly d at 0 and exactly s at 255.
uint16_t BlendColour(uint16_t destination, uint16_t source, int alpha);
