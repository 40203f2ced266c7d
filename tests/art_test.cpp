// The committed pictures keep the contract the game draws them by: the file
// layout its loaders read, the sizes its drawing code assumes, the keys its
// keyed blits skip, and fonts and tiles that are really there.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/surface.h"

namespace {

std::string SourcePath(const std::string& relative) { return std::string(VANTARO_SOURCE_DIR) + "/" + relative; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

struct Rect {
    int x, y, w, h;
};

uint16_t At(const Surface& s, int x, int y) { return s.pixels[y * s.width + x]; }

bool HasPixelOtherThan(const Surface& s, Rect r, uint16_t background) {
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) {
            if (At(s, x, y) != background) return true;
        }
    }
    return false;
}

std::set<uint16_t> Colours(const Surface& s, Rect r) {
    std::set<uint16_t> found;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) found.insert(At(s, x, y));
    }
    return found;
}

std::vector<uint16_t> Cell(const Surface& s, Rect r) {
    std::vector<uint16_t> pixels;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) pixels.push_back(At(s, x, y));
    }
    return pixels;
}

// Key pixels of the rectangle that its border cannot reach through key
// pixels: where a keyed blit would show through the middle of a shape.
int EnclosedKeyPixels(const Surface& s, Rect r, uint16_t key) {
    std::vector<uint8_t> reached(static_cast<size_t>(r.w) * r.h);
    std::vector<std::pair<int, int>> stack;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= r.w || y >= r.h || reached[y * r.w + x] || At(s, r.x + x, r.y + y) != key) return;
        reached[y * r.w + x] = 1;
        stack.push_back({x, y});
    };
    for (int i = 0; i < r.w; ++i) visit(i, 0), visit(i, r.h - 1);
    for (int i = 0; i < r.h; ++i) visit(0, i), visit(r.w - 1, i);
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
    }
    int enclosed = 0;
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) enclosed += !reached[y * r.w + x] && At(s, r.x + x, r.y + y) == key;
    }
    return enclosed;
}

// A tile shrunk as the game shrinks it: no filtering, source column
// floor(i * step / 65536).
void Shrink(const Surface& sheet, Rect tile, int size, Surface& out) {
    const int step = static_cast<int>(static_cast<float>(tile.w) / size * 65536.0);
    out.Create(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) out.PutPixel(x, y, At(sheet, tile.x + (x * step >> 16), tile.y + (y * step >> 16)));
    }
}

// Runs of rows holding anything but the key, top to bottom.
int Bands(const Surface& s, uint16_t key) {
    int bands = 0;
    bool inside = false;
    for (int y = 0; y < s.height; ++y) {
        const bool drawn = HasPixelOtherThan(s, {0, y, s.width, 1}, key);
        bands += drawn && !inside;
        inside = drawn;
    }
    return bands;
}

// Percent of a shrunk tile's pixels by which two silhouettes must differ.
constexpr int kMinSilhouetteDifference = 10;

Rect SymbolTile(int s) { return {50 * (s % 4), 50 * (s / 4), 50, 50}; }

class Art : public ::testing::Test {
protected:
    void SetUp() override {
        SetPixelFormatFlags(PIXEL_FORMAT_565);
        white = MakeColour(255, 255, 255);
        black = MakeColour(0, 0, 0);
    }

    // Loads a picture and checks its size; false (with the failure
    // recorded) when it is not there at that size.
    static bool LoadFile(Surface& s, const std::string& relative, int width, int height) {
        EXPECT_TRUE(LoadBitmapFile(s, SourcePath(relative).c_str())) << relative;
        EXPECT_EQ(s.width, width) << relative;
        EXPECT_EQ(s.height, height) << relative;
        return s.width == width && s.height == height;
    }

    static bool LoadResource(Surface& s, const wchar_t* name, int width, int height) {
        EXPECT_TRUE(LoadBitmapResource(s, nullptr, name));
        EXPECT_EQ(s.width, width);
        EXPECT_EQ(s.height, height);
        return s.width == width && s.height == height;
    }

    uint16_t white = 0;
    uint16_t black = 0;
};

// The game reads the pixels at offset 1078 after a full palette, so every
// file must be laid out exactly so, not merely be some loadable BMP.
TEST_F(Art, EveryBitmapFileHasTheLayoutTheGameReads) {
    struct File {
        const char* path;
        int width, height;
    };
    const File files[] = {{"Images/machine.bmp", 240, 320}, {"Images/fruit.bmp", 200, 150},
                          {"Images/climb.bmp", 240, 320},   {"Images/btns.bmp", 160, 80},
                          {"resources/splash.bmp", 240, 320}, {"resources/lcd.bmp", 169, 23},
                          {"resources/lcdalpha.bmp", 648, 41}};
    for (const File& f : files) {
        SCOPED_TRACE(f.path);
        const std::vector<uint8_t> b = ReadBytes(SourcePath(f.path));
        ASSERT_GE(b.size(), 1078u);
        EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
        EXPECT_EQ(Le32(b, 2), b.size());
        EXPECT_EQ(Le32(b, 10), 1078u);
        EXPECT_EQ(Le32(b, 14), 40u);
        EXPECT_EQ(static_cast<int32_t>(Le32(b, 18)), f.width);
        EXPECT_EQ(static_cast<int32_t>(Le32(b, 22)), f.height);  // positive: bottom-up
        EXPECT_EQ(b[28] | b[29] << 8, 8);
        EXPECT_EQ(Le32(b, 30), 0u);
        EXPECT_TRUE(Le32(b, 46) == 256 || Le32(b, 46) == 0);
        EXPECT_EQ(b.size(), 1078u + ((f.width + 3) & ~3) * static_cast<size_t>(f.height));
        Surface s;
        ASSERT_TRUE(LoadFile(s, f.path, f.width, f.height));
        EXPECT_GT(Colours(s, {0, 0, f.width, f.height}).size(), 2u);
    }
}

TEST_F(Art, CompiledInBitmapsLoadAtTheirSizes) {
    Surface splash, lcd, letters;
    EXPECT_TRUE(LoadResource(splash, L"SPLASH", 240, 320));
    EXPECT_TRUE(LoadResource(lcd, L"LCD", 169, 23));
    EXPECT_TRUE(LoadResource(letters, L"LCDALPHA", 648, 41));
}

TEST_F(Art, IconsAreRgbaPngsOfTheirSizes) {
    for (int size : {16, 32, 256}) {
        const std::string path = "resources/icon" + std::to_string(size) + ".png";
        SCOPED_TRACE(path);
        const std::vector<uint8_t> b = ReadBytes(SourcePath(path));
        ASSERT_GE(b.size(), 33u);
        EXPECT_EQ(std::memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
        EXPECT_EQ(Be32(b, 16), static_cast<uint32_t>(size));
        EXPECT_EQ(Be32(b, 20), static_cast<uint32_t>(size));
        EXPECT_EQ(b[24], 8);  // bits per channel
        EXPECT_EQ(b[25], 6);  // RGBA
    }
}

struct SegmentFont {
    const wchar_t* name;
    int cellW, cellH, cells;
    std::array<int, 3> lit, unlit;
    std::vector<int> dark;  // cells that light no segment
};

// Exactly lit, unlit and black; each cell showing its segments, only the
// blank cells lighting none, and no two cells alike.
TEST_F(Art, SegmentFontsHoldTheirThreeColoursAndDistinctCells) {
    const SegmentFont fonts[] = {
        {L"LCD", 13, 23, 13, {255, 0, 0}, {128, 0, 0}, {10}},
        {L"LCDALPHA", 24, 41, 27, {0, 255, 0}, {1, 75, 1}, {26}},
    };
    for (const SegmentFont& f : fonts) {
        SCOPED_TRACE(testing::Message() << (f.cells == 13 ? "LCD" : "LCDALPHA"));
        Surface s;
        ASSERT_TRUE(LoadResource(s, f.name, f.cellW * f.cells, f.cellH));
        const uint16_t lit = MakeColour(f.lit[0], f.lit[1], f.lit[2]);
        const uint16_t unlit = MakeColour(f.unlit[0], f.unlit[1], f.unlit[2]);
        EXPECT_EQ(Colours(s, {0, 0, s.width, s.height}), (std::set<uint16_t>{lit, unlit, black}));
        EXPECT_EQ(At(s, 0, 0), black);
        std::set<std::vector<uint16_t>> seen;
        for (int c = 0; c < f.cells; ++c) {
            const Rect r{c * f.cellW, 0, f.cellW, f.cellH};
            const bool dark = std::find(f.dark.begin(), f.dark.end(), c) != f.dark.end();
            EXPECT_EQ(Colours(s, r).count(lit), dark ? 0u : 1u) << "cell " << c;
            EXPECT_TRUE(HasPixelOtherThan(s, r, black)) << "cell " << c;
            EXPECT_TRUE(seen.insert(Cell(s, r)).second) << "cell " << c << " repeats another";
        }
    }
}

TEST_F(Art, SymbolTilesAreKeyedOnWhiteAndSolid) {
    Surface sheet;
    ASSERT_TRUE(LoadFile(sheet, "Images/fruit.bmp", 200, 150));
    EXPECT_EQ(At(sheet, 0, 0), white);
    for (int s = 0; s < 12; ++s) {
        SCOPED_TRACE(testing::Message() << "symbol " << s);
        const Rect tile = SymbolTile(s);
        EXPECT_EQ(At(sheet, tile.x, tile.y), white);
        EXPECT_EQ(EnclosedKeyPixels(sheet, tile, white), 0);
        for (int size : {20, 12}) {
            Surface shrunk;
            Shrink(sheet, tile, size, shrunk);
            EXPECT_TRUE(HasPixelOtherThan(shrunk, {0, 0, size, size}, white)) << size;
        }
    }
}

// Four BARs of each kind pay more the more bars: the count has to survive
// the twelve-pixel shrink, where thin gaps between slabs would vanish.
TEST_F(Art, BarSymbolsShowTheirCountWhenShrunk) {
    Surface sheet;
    ASSERT_TRUE(LoadFile(sheet, "Images/fruit.bmp", 200, 150));
    for (int bars = 1; bars <= 3; ++bars) {
        for (int size : {50, 20, 12}) {
            Surface shrunk;
            Shrink(sheet, SymbolTile(7 + bars), size, shrunk);
            EXPECT_EQ(Bands(shrunk, white), bars) << bars << " bars at " << size;
        }
    }
}

// Players who cannot tell red from green go by outline, so on the smallest
// reel every pair of symbols must differ in silhouette, not only in colour.
TEST_F(Art, ShrunkSymbolsDifferInSilhouette) {
    Surface sheet;
    ASSERT_TRUE(LoadFile(sheet, "Images/fruit.bmp", 200, 150));
    for (int size : {20, 12}) {
        std::vector<std::vector<bool>> masks;
        for (int s = 0; s < 12; ++s) {
            Surface shrunk;
            Shrink(sheet, SymbolTile(s), size, shrunk);
            std::vector<bool> mask;
            for (uint16_t p : Cell(shrunk, {0, 0, size, size})) mask.push_back(p != white);
            masks.push_back(mask);
        }
        for (int a = 0; a < 12; ++a) {
            for (int b = a + 1; b < 12; ++b) {
                int differ = 0;
                for (size_t i = 0; i < masks[a].size(); ++i) differ += masks[a][i] != masks[b][i];
                EXPECT_GE(differ * 100, size * size * kMinSilhouetteDifference)
                    << "symbols " << a << " and " << b << " at " << size << ": " << differ;
            }
        }
    }
}

// Mean brightness of the pixels that are not the key.
double Brightness(const Surface& s, Rect r, uint16_t key) {
    double sum = 0;
    int count = 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) {
            if (At(s, x, y) == key) continue;
            int red, green, blue;
            SplitColour(At(s, x, y), &red, &green, &blue);
            sum += 0.3 * red + 0.59 * green + 0.11 * blue;
            ++count;
        }
    }
    return count ? sum / count : 0;
}

TEST_F(Art, LadderLampsAreKeyedAndLitOnesStandOut) {
    struct Pair {
        int darkX, darkY, litX, litY;
    };
    const Pair pairs[] = {{0, 0, 0, 80},      {80, 0, 160, 0},     {80, 80, 160, 80},
                          {80, 160, 160, 160}, {80, 240, 160, 240}, {0, 160, 0, 240}};
    Surface sheet;
    ASSERT_TRUE(LoadFile(sheet, "Images/climb.bmp", 240, 320));
    EXPECT_EQ(At(sheet, 0, 0), white);
    for (size_t p = 0; p < std::size(pairs); ++p) {
        SCOPED_TRACE(testing::Message() << "pair " << p);
        const Rect dark{pairs[p].darkX, pairs[p].darkY, 80, 80};
        const Rect lit{pairs[p].litX, pairs[p].litY, 80, 80};
        for (const Rect& r : {dark, lit}) {
            EXPECT_TRUE(HasPixelOtherThan(sheet, r, white));
            EXPECT_EQ(EnclosedKeyPixels(sheet, r, white), 0);
        }
        EXPECT_GT(Brightness(sheet, lit, white), Brightness(sheet, dark, white) + 40);
    }
}

TEST_F(Art, LadderButtonsAreDrawnOnTheKey) {
    Surface sheet;
    ASSERT_TRUE(LoadFile(sheet, "Images/btns.bmp", 160, 80));
    for (int x : {0, 80}) {
        EXPECT_EQ(At(sheet, x, 0), white);
        EXPECT_TRUE(HasPixelOtherThan(sheet, {x, 0, 80, 80}, white));
        EXPECT_EQ(EnclosedKeyPixels(sheet, {x, 0, 80, 80}, white), 0);
    }
}

// The game writes white labels and red readouts on the status panel and
// draws the reels over their windows; the panel must stay dark enough for
// both, and the cabinet must be more than its key colour.
TEST_F(Art, MachineKeepsTheStatusPanelDark) {
    Surface machine;
    ASSERT_TRUE(LoadFile(machine, "Images/machine.bmp", 240, 320));
    EXPECT_LT(Brightness(machine, {0, 200, 160, 70}, white), 60);
    const uint16_t corner = At(machine, 0, 0);
    int sameAsCorner = 0;
    for (int i = 1; i < 240 * 320; ++i) sameAsCorner += machine.pixels[i] == corner;
    EXPECT_EQ(sameAsCorner, 0) << "a keyed copy of the cabinet would show holes";
}

// The pay line at y = 85 is marked in the margins beside the outer reels:
// something there that the rest of the margin does not have.
TEST_F(Art, MachineMarksTheWinLineInBothMargins) {
    Surface machine;
    ASSERT_TRUE(LoadFile(machine, "Images/machine.bmp", 240, 320));
    for (int x : {1, 233}) {
        const std::set<uint16_t> margin = Colours(machine, {x, 20, 6, 50});
        const std::set<uint16_t> marker = Colours(machine, {x, 83, 6, 5});
        EXPECT_FALSE(std::includes(margin.begin(), margin.end(), marker.begin(), marker.end())) << "margin at " << x;
    }
}

}  // namespace
