// Colour packing, unpacking and blending, and the Surface record.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "gfx/surface.h"

namespace {

struct Rgb565 : ::testing::Test {
    void SetUp() override { SetPixelFormatFlags(PIXEL_FORMAT_565); }
};

std::array<int, 3> Split(uint16_t c) {
    std::array<int, 3> rgb;
    SplitColour(c, &rgb[0], &rgb[1], &rgb[2]);
    return rgb;
}

TEST_F(Rgb565, PackingTruncatesEachChannelAndSplittingLeavesTheLowBitsZero) {
    EXPECT_EQ(MakeColour(255, 255, 255), 0xFFFF);
    EXPECT_EQ(MakeColour(255, 0, 0), 0xF800);
    EXPECT_EQ(MakeColour(128, 0, 0), 0x8000);
    EXPECT_EQ(MakeColour(255, 255, 0), 0xFFE0);
    EXPECT_EQ(MakeColour(7, 3, 7), 0x0000);
    EXPECT_EQ(Split(0xFFFF), (std::array{248, 252, 248}));
    EXPECT_EQ(Split(MakeColour(128, 64, 32)), (std::array{128, 64, 32}));
}

TEST_F(Rgb565, BlendRoundsDownGivesEitherPixelAtTheEndsAndStaysBetweenTheFields) {
    EXPECT_EQ(BlendColour(0x0000, 0xFFFF, 128), 0x8410);
    EXPECT_EQ(BlendColour(0xFFFF, 0x0000, 128), 0x7BEF);
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const uint16_t d = static_cast<uint16_t>(random()), s = static_cast<uint16_t>(random());
        ASSERT_EQ(BlendColour(d, s, 0), d);
        ASSERT_EQ(BlendColour(d, s, 255), s);
        const uint16_t m = BlendColour(d, s, static_cast<int>(random() % 256));
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
    EXPECT_EQ(Split(0x7FFF)[1], 248);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 0), 0x1234);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 255), 0x5678);
    SetPixelFormatFlags(0);
    EXPECT_EQ(MakeColour(255, 255, 255), 0);
    EXPECT_EQ(BlendColour(0x1234, 0x5678, 255), 0);
    SetPixelFormatFlags(PIXEL_FORMAT_565);
}

TEST_F(Rgb565, NewSurfaceIsEmptyAndOpaqueAndAnEmptySizeKeepsWhatWasThere) {
    Surface s;
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.alpha, 255);
    s.Fill(0x1234);  // nothing to fill, nothing happens
    EXPECT_EQ(s.pixels, nullptr);
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
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.pixels[i], (i == 5 || i == 6 || i == 9 || i == 10) ? 7 : 0) << i;
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
