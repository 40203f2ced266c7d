// The committed pictures keep the contract the game draws them by: the file
// layout its loaders read, the sizes its drawing code assumes, the keys its
// keyed blits skip, and fonts and tiles that are really there.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/surface.h"
#include "tests/support.h"

namespace {

std::string SourcePath(const std::string& relative) { return std::string(VANTARO_SOURCE_DIR) + "/" + relative; }

uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
uint32_t Be32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 | static_cast<uint8_t>(b[at + 1]) << 16 |
           static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3]);
}

struct Rect {
    int x, y, w, h;
};

uint16_t At(const Surface& s, int x, int y) { return s.pixels[y * s.width + x]; }

std::vector<uint16_t> Cell(const Surface& s, Rect r) {
    std::vector<uint16_t> pixels;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) pixels.push_back(At(s, x, y));
    return pixels;
}
std::set<uint16_t> Colours(const Surface& s, Rect r) {
    const std::vector<uint16_t> c = Cell(s, r);
    return {c.begin(), c.end()};
}
bool HasPixelOtherThan(const Surface& s, Rect r, uint16_t background) {
    const std::vector<uint16_t> c = Cell(s, r);
    return std::any_of(c.begin(), c.end(), [background](uint16_t p) { return p != background; });
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
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) enclosed += !reached[y * r.w + x] && At(s, r.x + x, r.y + y) == key;
    return enclosed;
}

// A tile shrunk as the game shrinks it: no filtering, source column
// floor(i * step / 65536).
void Shrink(const Surface& sheet, Rect tile, int size, Surface& out) {
    const int step = static_cast<int>(static_cast<float>(tile.w) / size * 65536.0);
    Paint(out, size, size, [&](int x, int y) { return At(sheet, tile.x + (x * step >> 16), tile.y + (y * step >> 16)); });
}

// Mean brightness of the pixels that are not the key.
double Brightness(const Surface& s, Rect r, uint16_t key) {
    double sum = 0;
    int count = 0;
    for (uint16_t p : Cell(s, r)) {
        if (p == key) continue;
        int red, green, blue;
        SplitColour(p, &red, &green, &blue);
        sum += 0.3 * red + 0.59 * green + 0.11 * blue;
        ++count;
    }
    return count ? sum / count : 0;
}

Rect SymbolTile(int s) { return {50 * (s % 4), 50 * (s / 4), 50, 50}; }

struct Art : ::testing::Test {
    void SetUp() override { SetPixelFormatFlags(PIXEL_FORMAT_565); }
    // Loads a picture and checks its size; false (with the failure
    // recorded) when it is not there at that size.
    static bool Load(Surface& s, const std::string& relative, int width, int height) {
        EXPECT_TRUE(LoadBitmapFile(s, SourcePath(relative).c_str())) << relative;
        EXPECT_EQ(s.width, width) << relative;
        EXPECT_EQ(s.height, height) << relative;
        return s.width == width && s.height == height;
    }
    const uint16_t white = 0xFFFF, black = 0;
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
        const std::string b = ReadFile(SourcePath(f.path));
        ASSERT_GE(b.size(), 1078u);
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(Le32(b, 2), b.size());
        EXPECT_EQ(Le32(b, 10), 1078u);
        EXPECT_EQ(Le32(b, 14), 40u);
        EXPECT_EQ(static_cast<int32_t>(Le32(b, 18)), f.width);
        EXPECT_EQ(static_cast<int32_t>(Le32(b, 22)), f.height);  // positive: bottom-up
        EXPECT_EQ(Le32(b, 28) & 0xFFFF, 8u);
        EXPECT_EQ(Le32(b, 30), 0u);
        EXPECT_TRUE(Le32(b, 46) == 256 || Le32(b, 46) == 0);
        EXPECT_EQ(b.size(), 1078u + ((f.width + 3) & ~3) * static_cast<size_t>(f.height));
        Surface s;
        ASSERT_TRUE(Load(s, f.path, f.width, f.height));
        EXPECT_GT(Colours(s, {0, 0, f.width, f.height}).size(), 2u);
    }
    for (int size : {16, 32, 256}) {
        const std::string path = "resources/icon" + std::to_string(size) + ".png";
        SCOPED_TRACE(path);
        const std::string b = ReadFile(SourcePath(path));
        ASSERT_GE(b.size(), 33u);
        EXPECT_EQ(b.substr(0, 8), "\x89PNG\r\n\x1a\n");
        EXPECT_EQ(b.substr(12, 4), "IHDR");
        EXPECT_EQ(Be32(b, 16), static_cast<uint32_t>(size));
        EXPECT_EQ(Be32(b, 20), static_cast<uint32_t>(size));
        EXPECT_EQ(b[24], 8);  // bits per channel
        EXPECT_EQ(b[25], 6);  // RGBA
    }
}

// The compiled-in fonts at their sizes: exactly lit, unlit and black; each
// cell showing its segments, only the blank cells lighting none, and no two
// cells alike.
TEST_F(Art, SegmentFontsHoldTheirThreeColoursAndDistinctCells) {
    struct SegmentFont {
        const wchar_t* name;
        int cellW, cellH, cells;
        std::array<int, 3> lit, unlit;
        int dark;  // the cell that lights no segment
    };
    for (const SegmentFont& f : {SegmentFont{L"LCD", 13, 23, 13, {255, 0, 0}, {128, 0, 0}, 10},
                                 SegmentFont{L"LCDALPHA", 24, 41, 27, {0, 255, 0}, {1, 75, 1}, 26}}) {
        SCOPED_TRACE(testing::Message() << f.cells << " cells");
        Surface s;
        ASSERT_TRUE(LoadBitmapResource(s, nullptr, f.name));
        ASSERT_EQ(s.width, f.cellW * f.cells);
        ASSERT_EQ(s.height, f.cellH);
        const uint16_t lit = MakeColour(f.lit[0], f.lit[1], f.lit[2]);
        const uint16_t unlit = MakeColour(f.unlit[0], f.unlit[1], f.unlit[2]);
        EXPECT_EQ(Colours(s, {0, 0, s.width, s.height}), (std::set<uint16_t>{lit, unlit, black}));
        EXPECT_EQ(At(s, 0, 0), black);
        std::set<std::vector<uint16_t>> seen;
        for (int c = 0; c < f.cells; ++c) {
            const Rect r{c * f.cellW, 0, f.cellW, f.cellH};
            EXPECT_EQ(Colours(s, r).count(lit), c == f.dark ? 0u : 1u) << "cell " << c;
            EXPECT_TRUE(HasPixelOtherThan(s, r, black)) << "cell " << c;
            EXPECT_TRUE(seen.insert(Cell(s, r)).second) << "cell " << c << " repeats another";
        }
    }
}

// Every tile of the keyed sheets starts on the white key, shows something,
// and encloses no key the blit would show through.
TEST_F(Art, KeyedTilesAreSolidOnWhiteAndLitLampsStandOut) {
    Surface fruit, climb, buttons;
    ASSERT_TRUE(Load(fruit, "Images/fruit.bmp", 200, 150));
    ASSERT_TRUE(Load(climb, "Images/climb.bmp", 240, 320));
    ASSERT_TRUE(Load(buttons, "Images/btns.bmp", 160, 80));
    std::vector<std::pair<const Surface*, Rect>> tiles = {{&buttons, {0, 0, 80, 80}}, {&buttons, {80, 0, 80, 80}}};
    for (int s = 0; s < 12; ++s) tiles.push_back({&fruit, SymbolTile(s)});
    // The ladder's lamps, dark and lit in pairs.
    const Rect lamps[][2] = {{{0, 0, 80, 80}, {0, 80, 80, 80}},       {{80, 0, 80, 80}, {160, 0, 80, 80}},
                             {{80, 80, 80, 80}, {160, 80, 80, 80}},   {{80, 160, 80, 80}, {160, 160, 80, 80}},
                             {{80, 240, 80, 80}, {160, 240, 80, 80}}, {{0, 160, 80, 80}, {0, 240, 80, 80}}};
    for (const auto& pair : lamps) {
        tiles.push_back({&climb, pair[0]});
        tiles.push_back({&climb, pair[1]});
        EXPECT_GT(Brightness(climb, pair[1], white), Brightness(climb, pair[0], white) + 40) << pair[1].x << "," << pair[1].y;
    }
    for (const auto& [sheet, r] : tiles) {
        SCOPED_TRACE(testing::Message() << sheet->width << " wide sheet at " << r.x << "," << r.y);
        EXPECT_EQ(At(*sheet, r.x, r.y), white);
        EXPECT_TRUE(HasPixelOtherThan(*sheet, r, white));
        EXPECT_EQ(EnclosedKeyPixels(*sheet, r, white), 0);
    }
}

// Players who cannot tell red from green go by outline, so on the smallest
// reels every symbol shows and every pair differs in silhouette. The BARs
// pay more the more bars: their count has to survive the shrink, where thin
// gaps between slabs would vanish.
TEST_F(Art, ShrunkSymbolsShowDifferInSilhouetteAndKeepTheirBars) {
    Surface sheet;
    ASSERT_TRUE(Load(sheet, "Images/fruit.bmp", 200, 150));
    for (int size : {50, 20, 12}) {
        std::vector<std::vector<bool>> masks;
        for (int s = 0; s < 12; ++s) {
            Surface shrunk;
            Shrink(sheet, SymbolTile(s), size, shrunk);
            std::vector<bool> mask;
            for (uint16_t p : Cell(shrunk, {0, 0, size, size})) mask.push_back(p != white);
            EXPECT_TRUE(std::count(mask.begin(), mask.end(), true)) << "symbol " << s << " at " << size;
            masks.push_back(mask);
            if (s < 8 || s > 10) continue;  // the BARs: one, two and three
            int bands = 0;  // runs of rows holding anything but the key
            for (int y = 0; y < size; ++y)
                bands += HasPixelOtherThan(shrunk, {0, y, size, 1}, white) &&
                         (y == 0 || !HasPixelOtherThan(shrunk, {0, y - 1, size, 1}, white));
            EXPECT_EQ(bands, s - 7) << "symbol " << s << " at " << size;
        }
        for (int a = 0; a < 12 && size < 50; ++a)
            for (int b = a + 1; b < 12; ++b) {
                int differ = 0;
                for (size_t i = 0; i < masks[a].size(); ++i) differ += masks[a][i] != masks[b][i];
                EXPECT_GE(differ * 10, size * size) << "symbols " << a << " and " << b << " at " << size;
            }
    }
}

// The game writes white labels and red readouts on the status panel and
// draws the reels over their windows; the panel must stay dark enough for
// both, and a keyed copy of the cabinet must show no holes. The pay line at
// y = 85 is marked in the margins beside the outer reels: something there
// that the rest of the margin does not have.
TEST_F(Art, MachineKeepsTheStatusPanelDarkAndMarksTheWinLine) {
    Surface machine;
    ASSERT_TRUE(Load(machine, "Images/machine.bmp", 240, 320));
    EXPECT_LT(Brightness(machine, {0, 200, 160, 70}, white), 60);
    EXPECT_EQ(std::count(machine.pixels + 1, machine.pixels + 240 * 320, At(machine, 0, 0)), 0);
    for (int x : {1, 233}) {
        const std::set<uint16_t> margin = Colours(machine, {x, 20, 6, 50});
        const std::set<uint16_t> marker = Colours(machine, {x, 83, 6, 5});
        EXPECT_FALSE(std::includes(margin.begin(), margin.end(), marker.begin(), marker.end())) << "margin at " << x;
    }
}

}  // namespace
