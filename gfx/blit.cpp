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

// The blending rows are the bulk of every fade, so they get vector versions
// for x86 machines with AVX2 or AVX-512, chosen at run time. They compute
// exactly what BlendColour does: every intermediate value fits in 16 bits (a
// 6-bit difference times 255, plus 128), and the rounding step
// (t + (t >> 8)) >> 8 equals the high half of t * 257 for every such t.
static inline uint16_t Blend565(uint16_t d, uint16_t s, int32_t a) {
    int32_t tr = ((s >> 11) - (d >> 11)) * a + 128;
    int32_t tg = (((s >> 5) & 0x3F) - ((d >> 5) & 0x3F)) * a + 128;
    int32_t tb = ((s & 0x1F) - (d & 0x1F)) * a + 128;
    tr = (d >> 11) + ((tr + (tr >> 8)) >> 8);
    tg = ((d >> 5) & 0x3F) + ((tg + (tg >> 8)) >> 8);
    tb = (d & 0x1F) + ((tb + (tb >> 8)) >> 8);
    return static_cast<uint16_t>((tr << 11) | (tg << 5) | tb);
}

static void BlendRowScalar(uint16_t* d, const uint16_t* s, int32_t n, bool keyed, uint16_t key, int32_t a) {
    for (int32_t i = 0; i < n; ++i)
        if (!keyed || s[i] != key) d[i] = Blend565(d[i], s[i], a);
}

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

__attribute__((target("avx2"))) static inline __m256i BlendField(__m256i df, __m256i sf, __m256i a) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(sf, df), a), _mm256_set1_epi16(128));
    return _mm256_add_epi16(df, _mm256_mulhi_epi16(t, _mm256_set1_epi16(257)));
}

__attribute__((target("avx2"))) static void BlendRowAvx2(uint16_t* d, const uint16_t* s, int32_t n, bool keyed,
                                                         uint16_t key, int32_t alpha) {
    const __m256i a = _mm256_set1_epi16(static_cast<short>(alpha));
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    const __m256i six = _mm256_set1_epi16(0x3F), five = _mm256_set1_epi16(0x1F);
    int32_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i r = BlendField(_mm256_srli_epi16(dv, 11), _mm256_srli_epi16(sv, 11), a);
        const __m256i g = BlendField(_mm256_and_si256(_mm256_srli_epi16(dv, 5), six),
                                     _mm256_and_si256(_mm256_srli_epi16(sv, 5), six), a);
        const __m256i b = BlendField(_mm256_and_si256(dv, five), _mm256_and_si256(sv, five), a);
        __m256i out = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(g, 5)), b);
        if (keyed) out = _mm256_blendv_epi8(out, dv, _mm256_cmpeq_epi16(sv, k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), out);
    }
    BlendRowScalar(d + i, s + i, n - i, keyed, key, alpha);
}

__attribute__((target("avx512bw"))) static inline __m512i BlendField512(__m512i df, __m512i sf, __m512i a) {
    const __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(sf, df), a), _mm512_set1_epi16(128));
    return _mm512_add_epi16(df, _mm512_mulhi_epi16(t, _mm512_set1_epi16(257)));
}

__attribute__((target("avx512bw"))) static void BlendRowAvx512(uint16_t* d, const uint16_t* s, int32_t n,
                                                               bool keyed, uint16_t key, int32_t alpha) {
    const __m512i a = _mm512_set1_epi16(static_cast<short>(alpha));
    const __m512i k = _mm512_set1_epi16(static_cast<short>(key));
    const __m512i six = _mm512_set1_epi16(0x3F), five = _mm512_set1_epi16(0x1F);
    int32_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i dv = _mm512_loadu_si512(d + i);
        const __m512i sv = _mm512_loadu_si512(s + i);
        const __m512i r = BlendField512(_mm512_srli_epi16(dv, 11), _mm512_srli_epi16(sv, 11), a);
        const __m512i g = BlendField512(_mm512_and_si512(_mm512_srli_epi16(dv, 5), six),
                                        _mm512_and_si512(_mm512_srli_epi16(sv, 5), six), a);
        const __m512i b = BlendField512(_mm512_and_si512(dv, five), _mm512_and_si512(sv, five), a);
        const __m512i out = _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi16(r, 11), _mm512_slli_epi16(g, 5)), b);
        // Keyed: source pixels equal to the key leave the destination alone.
        const __mmask32 write = keyed ? _mm512_cmpneq_epi16_mask(sv, k) : ~__mmask32(0);
        _mm512_mask_storeu_epi16(d + i, write, out);
    }
    BlendRowAvx2(d + i, s + i, n - i, keyed, key, alpha);
}

using BlendRowFn = void (*)(uint16_t*, const uint16_t*, int32_t, bool, uint16_t, int32_t);
static BlendRowFn ChooseBlendRow() {
    if (__builtin_cpu_supports("avx512bw")) return BlendRowAvx512;
    if (__builtin_cpu_supports("avx2")) return BlendRowAvx2;
    return BlendRowScalar;
}
static const BlendRowFn BlendRow565 = ChooseBlendRow();
#else
static void (*const BlendRow565)(uint16_t*, const uint16_t*, int32_t, bool, uint16_t, int32_t) = BlendRowScalar;
#endif

// A row of pixels copied. Short rows (an LCD digit is 13 pixels wide) are
// copied in fixed-size pieces the compiler turns into plain moves, which
// beats a library call per row; longer or overlapping rows go to memmove,
// which is faster from about 64 bytes on.
static inline void CopyPixels(uint16_t* d, const uint16_t* s, int32_t n) {
    size_t bytes = static_cast<size_t>(n) * 2;
    auto* to = reinterpret_cast<unsigned char*>(d);
    auto* from = reinterpret_cast<const unsigned char*>(s);
    if (bytes > 64 || (to < from + bytes && from < to + bytes)) {
        std::memmove(to, from, bytes);
        return;
    }
    for (; bytes >= 32; bytes -= 32, to += 32, from += 32) std::memcpy(to, from, 32);
    if (bytes >= 16) std::memcpy(to, from, 16), bytes -= 16, to += 16, from += 16;
    if (bytes >= 8) std::memcpy(to, from, 8), bytes -= 8, to += 8, from += 8;
    if (bytes >= 4) std::memcpy(to, from, 4), bytes -= 4, to += 4, from += 4;
    if (bytes >= 2) std::memcpy(to, from, 2);
}

static void KeyedRow(uint16_t* __restrict d, const uint16_t* __restrict s, int32_t n, uint16_t key) {
    for (int32_t i = 0; i < n; ++i) d[i] = s[i] == key ? d[i] : s[i];
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
            if (fast) BlendRow565(destination, source, count, false, key, alpha);
            else BlendRowAny(destination, source, count, 0, key, alpha);
            break;
        case BLIT_KEYED_BLEND:
            if (fast) BlendRow565(destination, source, count, true, key, alpha);
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
    if (DrawingOff) return false;
    if (!ClipToSurface(destination, x, y, w, h, sx, sy)) return false;
    if (!destination.pixels || !source.pixels || !ClipToSource(source, x, y, w, h, sx, sy)) return false;
    mode &= 0xFF;
    uint16_t* d = destination.pixels + static_cast<ptrdiff_t>(y) * destination.width + x;
    const uint16_t* s = source.pixels + static_cast<ptrdiff_t>(sy) * source.width + sx;
    if (w == destination.width && w == source.width) {
        // Whole rows of equally wide pictures: one run of pixels.
        BlitRow(d, s, w * h, mode, source.transparent, source.alpha);
        return true;
    }
    if (mode == BLIT_COPY) {
        for (int32_t row = 0; row < h; ++row, d += destination.width, s += source.width) CopyPixels(d, s, w);
        return true;
    }
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
    if (DrawingOff || w <= 0 || h <= 0 || !destination.pixels || !source.pixels) return false;
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
        // The row's source pixels gathered, then put down as one row of the
        // mode, a piece at a time.
        int64_t fx = fx0;
        uint16_t gathered[256];
        for (int32_t done = 0; done < w;) {
            const int32_t n = std::min<int32_t>(w - done, 256);
            for (int32_t i = 0; i < n; ++i, fx += xStep)
                gathered[i] = s[std::min(static_cast<int32_t>(fx >> 16), source.width - 1)];
            BlitRow(d + done, gathered, n, mode, key, alpha);
            done += n;
        }
    }
    return true;
}
