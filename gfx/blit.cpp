#include "gfx/blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

bool ClipToSurface(const Surface& destination, int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t& sx,
                   int32_t& sy) {
    if (x + w >= destination.width) w = destination.width - x;
    if (x < 0) {
        w += x;
        sx -= x;
        x = 0;
    }
    if (y + h >= destination.height) h = destination.height - y;
    if (y < 0) {
        h += y;
        sy -= y;
        y = 0;
    }
    return w >= 1 && h >= 1;
}

// The blending rows are the bulk of every fade; they are written so that the
// compiler vectorises them, and built twice so that AVX2 machines get the
// wide version. All intermediate values fit in 16 bits (a 6-bit difference
// times 255, plus 128), which is what lets them vectorise well.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define WIDE_CLONES
#endif

static inline uint16_t Blend565(uint16_t d, uint16_t s, int32_t a) {
    int32_t tr = ((s >> 11) - (d >> 11)) * a + 128;
    int32_t tg = (((s >> 5) & 0x3F) - ((d >> 5) & 0x3F)) * a + 128;
    int32_t tb = ((s & 0x1F) - (d & 0x1F)) * a + 128;
    tr = (d >> 11) + ((tr + (tr >> 8)) >> 8);
    tg = ((d >> 5) & 0x3F) + ((tg + (tg >> 8)) >> 8);
    tb = (d & 0x1F) + ((tb + (tb >> 8)) >> 8);
    return static_cast<uint16_t>((tr << 11) | (tg << 5) | tb);
}

WIDE_CLONES static void KeyedRow(uint16_t* __restrict d, const uint16_t* __restrict s, int32_t n, uint16_t key) {
    for (int32_t i = 0; i < n; ++i) d[i] = s[i] == key ? d[i] : s[i];
}

WIDE_CLONES static void BlendRow565(uint16_t* __restrict d, const uint16_t* __restrict s, int32_t n, int32_t a) {
    for (int32_t i = 0; i < n; ++i) d[i] = Blend565(d[i], s[i], a);
}

WIDE_CLONES static void KeyedBlendRow565(uint16_t* __restrict d, const uint16_t* __restrict s, int32_t n,
                                         uint16_t key, int32_t a) {
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t mixed = Blend565(d[i], s[i], a);
        d[i] = s[i] == key ? d[i] : mixed;
    }
}

static void BlendRowAny(uint16_t* d, const uint16_t* s, int32_t n, int keyed, uint16_t key, uint8_t a) {
    for (int32_t i = 0; i < n; ++i)
        if (!keyed || s[i] != key) d[i] = BlendColour(d[i], s[i], a);
}

void BlitRow(uint16_t* destination, const uint16_t* source, int32_t count, int mode, uint16_t key, uint8_t alpha) {
    if (count <= 0) return;
    const bool fast = (PixelFormatFlags() & PIXEL_FORMAT_565) != 0;
    switch (mode) {
        case BLIT_COPY:
            std::memmove(destination, source, static_cast<size_t>(count) * 2);
            break;
        case BLIT_KEYED:
            KeyedRow(destination, source, count, key);
            break;
        case BLIT_BLEND:
            if (fast) BlendRow565(destination, source, count, alpha);
            else BlendRowAny(destination, source, count, 0, key, alpha);
            break;
        case BLIT_KEYED_BLEND:
            if (fast) KeyedBlendRow565(destination, source, count, key, alpha);
            else BlendRowAny(destination, source, count, 1, key, alpha);
            break;
        default:
            break;
    }
}

// Keeps the source rectangle inside the source as well; callers are meant to
// ask only for pixels that exist, and this makes sure a slip cannot read
// outside the picture.
static bool ClipToSource(const Surface& source, int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t& sx,
                         int32_t& sy) {
    if (sx < 0) {
        w += sx;
        x -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        y -= sy;
        sy = 0;
    }
    w = std::min(w, source.width - sx);
    h = std::min(h, source.height - sy);
    return w >= 1 && h >= 1;
}

bool Blit(Surface& destination, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& source, int32_t sx,
          int32_t sy, int mode) {
    if (!ClipToSurface(destination, x, y, w, h, sx, sy)) return false;
    if (!destination.pixels || !source.pixels || !ClipToSource(source, x, y, w, h, sx, sy)) return false;
    mode &= 0xFF;
    uint16_t* d = destination.pixels + static_cast<ptrdiff_t>(y) * destination.width + x;
    const uint16_t* s = source.pixels + static_cast<ptrdiff_t>(sy) * source.width + sx;
    for (int32_t row = 0; row < h; ++row) {
        BlitRow(d, s, w, mode, source.transparent, source.alpha);
        d += destination.width;
        s += source.width;
    }
    return true;
}

// 16.16 fixed-point source distance per destination pixel.
static int32_t StretchStep(int32_t sourceSize, int32_t size) {
    const float ratio = static_cast<float>(sourceSize) / static_cast<float>(size);
    return static_cast<int32_t>(static_cast<double>(ratio) * 65536.0);
}

bool StretchBlit(Surface& destination, const Surface& source, int32_t x, int32_t y, int32_t w, int32_t h, int mode) {
    if (w <= 0 || h <= 0 || !destination.pixels || !source.pixels) return false;
    const int32_t xStep = StretchStep(source.width, w);
    const int32_t yStep = StretchStep(source.height, h);
    const int32_t x0 = x, y0 = y;
    int32_t sx = 0, sy = 0;
    if (!ClipToSurface(destination, x, y, w, h, sx, sy)) return false;
    // Pixels cut away on the left or top are skipped at the unclipped rate,
    // so the visible part is exactly that part of the whole scaled picture.
    int64_t fy = static_cast<int64_t>(y - y0) * yStep;
    const int64_t fx0 = static_cast<int64_t>(x - x0) * xStep;
    const uint16_t key = source.transparent;
    const uint8_t alpha = source.alpha;
    for (int32_t row = 0; row < h; ++row, fy += yStep) {
        const int32_t sourceRow = std::min(static_cast<int32_t>(fy >> 16), source.height - 1);
        const uint16_t* s = source.pixels + static_cast<ptrdiff_t>(sourceRow) * source.width;
        uint16_t* d = destination.pixels + static_cast<ptrdiff_t>(y + row) * destination.width + x;
        int64_t fx = fx0;
        for (int32_t i = 0; i < w; ++i, fx += xStep) {
            const uint16_t p = s[std::min(static_cast<int32_t>(fx >> 16), source.width - 1)];
            switch (mode) {
                case BLIT_COPY: d[i] = p; break;
                case BLIT_KEYED: if (p != key) d[i] = p; break;
                case BLIT_BLEND: d[i] = BlendColour(d[i], p, alpha); break;
                case BLIT_KEYED_BLEND: if (p != key) d[i] = BlendColour(d[i], p, alpha); break;
                default: break;
            }
        }
    }
    return true;
}
