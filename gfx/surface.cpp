#include "gfx/surface.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

static uint32_t FormatFlags = PIXEL_FORMAT_565;
bool DrawingOff = false;

void SetPixelFormatFlags(uint32_t flags) { FormatFlags = flags; }
uint32_t PixelFormatFlags() { return FormatFlags; }

Surface::~Surface() { Free(); }

bool Surface::Create(int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return false;
    Free();
    pixels = static_cast<uint16_t*>(std::malloc(static_cast<size_t>(w) * static_cast<size_t>(h) * 2));
    if (!pixels) return false;
    width = w;
    height = h;
    return true;
}

bool Surface::Free() {
    std::free(pixels);
    pixels = nullptr;
    width = 0;
    height = 0;
    return true;
}

void Surface::Fill(uint16_t colour) {
    if (!pixels || DrawingOff) return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if ((colour >> 8) == (colour & 0xFF)) {  // black and white, the usual fade colours
        std::memset(pixels, colour & 0xFF, count * 2);
        return;
    }
    for (size_t i = 0; i < count; ++i) pixels[i] = colour;
}

void Surface::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour) {
    if (DrawingOff) return;
    for (int32_t y = y1; y < y2; ++y) {
        uint16_t* row = pixels + static_cast<ptrdiff_t>(y) * width;
        for (int32_t x = x1; x < x2; ++x) row[x] = colour;
    }
}

bool Surface::CopyFrom(const Surface& source) {
    if (width != source.width || height != source.height) {
        if (!Create(source.width, source.height)) return false;
    }
    if (!source.pixels || !pixels) return false;
    if (DrawingOff) return true;
    std::memcpy(pixels, source.pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 2);
    return true;
}

uint16_t MakeColour(int red, int green, int blue) {
    if (FormatFlags & PIXEL_FORMAT_565)
        return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xFF) >> 3));
    if (FormatFlags & PIXEL_FORMAT_555)
        return static_cast<uint16_t>(((red & 0xF8) << 7) | ((green & 0xF8) << 2) | ((blue & 0xFF) >> 3));
    return 0;
}

void SplitColour(uint16_t pixel, int* red, int* green, int* blue) {
    if (FormatFlags & PIXEL_FORMAT_565) {
        *red = (pixel >> 8) & 0xF8;
        *green = (pixel >> 3) & 0xFC;
        *blue = (pixel & 0x1F) << 3;
    } else if (FormatFlags & PIXEL_FORMAT_555) {
        *red = (pixel >> 7) & 0xF8;
        *green = (pixel >> 2) & 0xF8;
        *blue = (pixel & 0x1F) << 3;
    }
}

// Division by 255 with rounding, in the shift form; the shifts are arithmetic,
// so a negative difference rounds towards minus infinity.
static inline int32_t BlendField(int32_t d, int32_t s, int32_t alpha) {
    const int32_t t = (s - d) * alpha + 128;
    return d + ((t + (t >> 8)) >> 8);
}

uint16_t BlendColour(uint16_t destination, uint16_t source, int alpha) {
    if (FormatFlags & PIXEL_FORMAT_565) {
        const int32_t r = BlendField(destination >> 11, source >> 11, alpha);
        const int32_t g = BlendField((destination >> 5) & 0x3F, (source >> 5) & 0x3F, alpha);
        const int32_t b = BlendField(destination & 0x1F, source & 0x1F, alpha);
        return static_cast<uint16_t>((r << 11) | (g << 5) | b);
    }
    if (FormatFlags & PIXEL_FORMAT_555) {
        const int32_t r = BlendField((destination >> 10) & 0x1F, (source >> 10) & 0x1F, alpha);
        const int32_t g = BlendField((destination >> 5) & 0x1F, (source >> 5) & 0x1F, alpha);
        const int32_t b = BlendField(destination & 0x1F, source & 0x1F, alpha);
        return static_cast<uint16_t>((r << 10) | (g << 5) | b);
    }
    return 0;
}
