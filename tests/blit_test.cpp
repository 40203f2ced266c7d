// Blits at size and scaled: clipping at every edge, the four modes, and the
// columns and rows the scaled blit samples.
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/blit.h"
#include "tests/support.h"

namespace {

struct Blits : ::testing::Test {
    Surface dest, src;
    void SetUp() override {
        SetPixelFormatFlags(PIXEL_FORMAT_565);
        Paint(dest, 240, 320, [](int, int) { return 0; });
        // Every source pixel names its own place: 100 x + y + 1.
        Paint(src, 40, 40, [](int x, int y) { return 100 * x + y + 1; });
    }
    uint16_t At(int x, int y) const { return dest.pixels[y * dest.width + x]; }
    int Drawn() const {
        int n = 0;
        for (int i = 0; i < dest.width * dest.height; ++i) n += dest.pixels[i] != 0;
        return n;
    }
};

// Each destination pixel shows the source pixel at its offset in the
// rectangle, where both the destination and the source have it, else nothing.
TEST_F(Blits, ClippingAtEveryEdgeDrawsExactlyThePartInsideBoth) {
    struct Case {
        int x, y, w, h, sx, sy, drawn;
    };
    const Case cases[] = {{-5, -3, 20, 10, 0, 0, 15 * 7}, {230, 315, 20, 20, 0, 0, 10 * 5},
                          {200, 280, 40, 40, 0, 0, 40 * 40}, {0, 0, 100, 100, 30, 35, 10 * 5},
                          {240, 0, 10, 10, 0, 0, 0},      {-10, 0, 10, 10, 0, 0, 0},
                          {0, 320, 10, 10, 0, 0, 0},      {0, 0, 0, 10, 0, 0, 0},
                          {0, 0, 10, -1, 0, 0, 0}};
    for (const Case& c : cases) {
        dest.Fill(0);
        EXPECT_EQ(Blit(dest, c.x, c.y, c.w, c.h, src, c.sx, c.sy, BLIT_COPY), c.drawn > 0) << c.x << "," << c.y;
        EXPECT_EQ(Drawn(), c.drawn) << c.x << "," << c.y;
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 240; ++x) {
                const int dx = x - c.x, dy = y - c.y;
                const bool in = dx >= 0 && dy >= 0 && dx < c.w && dy < c.h && c.sx + dx < 40 && c.sy + dy < 40;
                ASSERT_EQ(At(x, y), in ? src.pixels[(c.sy + dy) * 40 + c.sx + dx] : 0) << x << "," << y;
            }
    }
}

TEST_F(Blits, KeyedSkipsTheSourceKeyOnlyAndUnknownModesChangeNothing) {
    dest.Fill(0x0101);
    src.SetTransparent(src.pixels[0]);
    Blit(dest, 0, 0, 2, 1, src, 0, 0, BLIT_KEYED);
    EXPECT_EQ(At(0, 0), 0x0101);
    EXPECT_EQ(At(1, 0), src.pixels[1]);
    dest.Fill(0);
    EXPECT_TRUE(Blit(dest, 0, 0, 10, 10, src, 0, 0, 7));
    EXPECT_TRUE(StretchBlit(dest, src, 0, 0, 10, 10, 7));
    EXPECT_EQ(Drawn(), 0);
    // Only the low eight bits of a mode count.
    EXPECT_TRUE(Blit(dest, 0, 0, 1, 1, src, 0, 0, 0x100 | BLIT_COPY));
    EXPECT_EQ(At(0, 0), src.pixels[0]);
}

// At alpha 0 nothing changes and at 255 it is a copy (BlendColour's ends).
TEST_F(Blits, BlendRowsMatchBlendColourExactly) {
    Paint(dest, 240, 320, [](int x, int y) { return (x * 2654435761u + y * 40503u) >> 7; });
    Surface expect;
    expect.CopyFrom(dest);
    Paint(src, 240, 320, [](int x, int y) { return (x * 40503u + y * 2654435761u) >> 5; });
    src.SetTransparent(src.pixels[77]);
    for (int alpha : {0, 1, 77, 128, 200, 254, 255}) {
        for (int mode : {BLIT_BLEND, BLIT_KEYED_BLEND}) {
            src.SetAlpha(static_cast<uint8_t>(alpha));
            Blit(dest, 0, 0, 240, 320, src, 0, 0, mode);
            for (int i = 0; i < 240 * 320; ++i)
                if (mode == BLIT_BLEND || src.pixels[i] != src.transparent)
                    expect.pixels[i] = BlendColour(expect.pixels[i], src.pixels[i], alpha);
            ASSERT_EQ(0, memcmp(dest.pixels, expect.pixels, 240 * 320 * 2)) << "alpha " << alpha << " mode " << mode;
        }
    }
}

TEST_F(Blits, StretchSamplesTruncatedColumnsAndRowsAndEnlargesByRepeating) {
    StretchBlit(dest, src, 0, 0, 20, 20, BLIT_COPY);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(At(i, 0), src.pixels[2 * i]) << i;
    const int expected[12] = {0, 3, 6, 9, 13, 16, 19, 23, 26, 29, 33, 36};
    StretchBlit(dest, src, 0, 100, 12, 12, BLIT_COPY);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(At(i, 100), src.pixels[expected[i]]) << i;          // columns
        EXPECT_EQ(At(0, 100 + i), src.pixels[expected[i] * 40]) << i;  // rows
    }
    StretchBlit(dest, src, 100, 200, 80, 80, BLIT_COPY);
    EXPECT_EQ(At(101, 201), src.pixels[0]);
    EXPECT_EQ(At(179, 279), src.pixels[39 * 40 + 39]);
}

TEST_F(Blits, StretchAcrossAnEdgeShowsThatPartOfTheWholePicture) {
    Surface whole;
    Paint(whole, 100, 100, [](int, int) { return 0; });
    StretchBlit(whole, src, 20, 20, 60, 60, BLIT_COPY);  // the unclipped picture
    // The same picture placed 30 pixels further up and left, across the edges.
    StretchBlit(dest, src, -10, -10, 60, 60, BLIT_COPY);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(At(x, y), whole.pixels[(y + 30) * 100 + x + 30]) << x << "," << y;
    // And past the right and bottom edges.
    dest.Fill(0);
    StretchBlit(dest, src, 220, 300, 60, 60, BLIT_COPY);
    EXPECT_EQ(Drawn(), 20 * 20);
    EXPECT_EQ(At(239, 319), whole.pixels[(20 + 19) * 100 + 20 + 19]);
    // Large and odd ratios, partly off every edge: the sanitizer guards the reads.
    Surface tiny;
    Paint(tiny, 3, 7, [](int x, int y) { return x + y + 1; });
    for (int size : {1, 2, 5, 13, 75, 333})
        for (int at : {-400, -37, 0, 100, 239}) StretchBlit(dest, tiny, at, at, size, size, BLIT_KEYED_BLEND);
}

}  // namespace
