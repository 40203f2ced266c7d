// Colour packing, unpacking and blending, and the Surface record.
#include <gtest/gtest.h>

#include <random>

#include "gfx/surface.h"

namespace {

struct Rgb565 : ::testing::Test {
    void SetUp() override { SetPixelFormatFlags(PIXEL_FORMAT_565); }
};

TEST_F(Rgb565, MakeColourTruncatesEachChannel) {
    EXPECT_EQ(MakeColour(255, 255, 255), 0xFFFF);
    EXPECT_EQ(MakeColour(255, 0, 0), 0xF800);
    EXPECT_EQ(MakeColour(128, 0, 0), 0x8000);
    EXPECT_EQ(MakeColour(255, 255, 0), 0xFFE0);
    EXPECT_EQ(MakeColour(7, 3, 7), 0x0000);
}

TEST_F(Rgb565, SplitColourLeavesLowBitsZero) {
    int r, g, b;
    SplitColour(0xFFFF, &r, &g, &b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g, 252);
    EXPECT_EQ(b, 248);
    SplitColour(MakeColour(128, 64, 32), &r, &g, &b);
    EXPECT_EQ(r, 128);
    EXPECT_EQ(g, 64);
    EXPECT_EQ(b, 32);
}

TEST_F(Rgb565, BlendRoundsTowardsMinusInfinityBothWays) {
    EXPECT_EQ(BlendColour(0x0000, 0xFFFF, 128), 0x8410);
    EXPECT_EQ(BlendColour(0xFFFF, 0x0000, 128), 0x7BEF);
}

TEST_F(Rgb565, BlendEndpointsGiveExactlyEitherPixel) {
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const uint16_t d = static_cast<uint16_t>(random()), s = static_cast<uint16_t>(random());
        ASSERT_EQ(BlendColour(d, s, 0), d);
        ASSERT_EQ(BlendColour(d, s, 255), s);
    }
}

TEST_F(Rgb565, BlendStaysBetweenTheTwoFields) {
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        const uint16_t d = static_cast<uint16_t>(random()), s = static_cast<uint16_t>(random());
        const int a = static_cast<int>(random() % 256);
        const uint16_t m = BlendColour(d, s, a);
        for (int shift : {11, 5, 0}) {
            const int mask = shift == 5 ? 0x3F : 0x1F;
            const int fd = (d >> shift) & mask, fs = (s >> shift) & mask, fm = (m >> shift) & mask;
            ASSERT_GE(fm, std::min(fd, fs));
            ASSERT_LE(fm, std::max(fd, fs));
        }
    }
}

TEST(Rgb555, PacksAndBlendsFiveBitFields) {
    SetPixelFormatFlags(PIXEL_FORMAT_555);
    EXPECT_EQ(MakeColour(255, 0, 0), 0x7C00);
    EXPECT_EQ(MakeColour(255, 255, 255), 0x7FFF);
    int r, g, b;
    SplitColour(0x7FFF, &r, &g, &b);
    EXPECT_EQ(g, 248);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 0), 0x1234);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 255), 0x5678);
    SetPixelFormatFlags(0);
    EXPECT_EQ(MakeColour(255, 255, 255), 0);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 255), 0);
    SetPixelFormatFlags(PIXEL_FORMAT_565);
}

TEST_F(Rgb565, NewSurfaceIsEmptyAndOpaque) {
    Surface s;
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.alpha, 255);
    s.Fill(0x1234);  // nothing to fill, nothing happens
    EXPECT_EQ(s.pixels, nullptr);
}

TEST_F(Rgb565, CreateWithZeroSideKeepsWhatWasThere) {
    Surface s;
    ASSERT_TRUE(s.Create(3, 2));
    s.Fill(0xABCD);
    EXPECT_FALSE(s.Create(0, 5));
    EXPECT_FALSE(s.Create(5, -1));
    ASSERT_NE(s.pixels, nullptr);
    EXPECT_EQ(s.width, 3);
    EXPECT_EQ(s.pixels[5], 0xABCD);
}

TEST_F(Rgb565, FillRectExcludesRightAndBottomEdges) {
    Surface s;
    s.Create(4, 4);
    s.Fill(0);
    s.FillRect(1, 1, 3, 3, 7);
    s.FillRect(10, 10, 10, 50, 9);  // empty: nothing drawn, nothing touched
    int lit = 0;
    for (int i = 0; i < 16; ++i) lit += s.pixels[i] == 7;
    EXPECT_EQ(lit, 4);
    EXPECT_EQ(s.pixels[1 * 4 + 1], 7);
    EXPECT_EQ(s.pixels[2 * 4 + 2], 7);
    EXPECT_EQ(s.pixels[3 * 4 + 3], 0);
}

TEST_F(Rgb565, CopyFromResizesAndLeavesKeyAndAlpha) {
    Surface a, b;
    a.Create(2, 3);
    a.Fill(0x1111);
    a.SetTransparent(5);
    b.Create(7, 7);
    b.SetAlpha(9);
    ASSERT_TRUE(b.CopyFrom(a));
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.height, 3);
    EXPECT_EQ(b.pixels[5], 0x1111);
    EXPECT_EQ(b.alpha, 9);
    EXPECT_EQ(b.transparent, 0);

    Surface empty;
    EXPECT_FALSE(b.CopyFrom(empty));
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.pixels[0], 0x1111);
}

}  // namespace
