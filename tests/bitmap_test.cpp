// Loading palette bitmaps: valid pictures load exactly, damaged ones are
// refused without reading outside the data and without touching the target.
// And the committed pictures keep the contract the game draws them by: the
// keys its keyed blits skip, and fonts and tiles that are really there.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/surface.h"
#include "platform/os/files.h"
#include "tests/support.h"

namespace {

void Put16(std::string& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v);
    b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// A bitmap of the given depth whose palette entry i is (i, 255 - i, 2 i) and
// whose pixel (x, y), counted from the top, has index (x + 3 y) % colours.
// withFileHeader adds the 14 bytes a file has and a resource has not.
std::string MakeBitmap(int width, int height, int bits, bool withFileHeader) {
    const int colours = bits == 8 ? 256 : 16;
    const size_t stride = ((static_cast<size_t>(bits) * width + 31) / 32) * 4;
    const size_t head = withFileHeader ? 14 : 0;
    const size_t pixelsAt = head + 40 + 4 * colours;
    std::string b(pixelsAt + stride * height, '\0');
    if (withFileHeader) {
        b[0] = 'B';
        b[1] = 'M';
        Put32(b, 2, static_cast<uint32_t>(b.size()));
        Put32(b, 10, static_cast<uint32_t>(pixelsAt));
    }
    Put32(b, head, 40);
    Put32(b, head + 4, width);
    Put32(b, head + 8, height);
    Put16(b, head + 12, 1);
    Put16(b, head + 14, bits);
    for (int i = 0; i < colours; ++i) {
        b[head + 40 + 4 * i] = static_cast<char>(2 * i);  // blue
        b[head + 41 + 4 * i] = static_cast<char>(255 - i);
        b[head + 42 + 4 * i] = static_cast<char>(i);
    }
    for (int y = 0; y < height; ++y) {
        const size_t row = pixelsAt + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const int index = (x + 3 * y) % colours;
            if (bits == 8) b[row + x] = static_cast<char>(index);
            else b[row + x / 2] = static_cast<char>(b[row + x / 2] | (x % 2 ? index : index << 4));
        }
    }
    return b;
}

uint16_t Expected(int x, int y, int colours) {
    const int i = (x + 3 * y) % colours;
    return MakeColour(i, 255 - i, (2 * i) & 0xFF);
}

bool LoadFile(Surface& s, const std::string& bytes) {
    return LoadBitmapFileData(s, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
bool LoadResource(Surface& s, const std::string& bytes) {
    return LoadBitmapResourceData(s, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

struct Bitmaps : ::testing::Test {
    void SetUp() override { SetPixelFormatFlags(PIXEL_FORMAT_565); }
};

// Pixels come top row first from the bottom-up rows, 4-bit ones high nibble
// first; files are 8-bit only.
TEST_F(Bitmaps, FilesAndResourcesLoadEveryPixel) {
    struct Case {
        int width, height, bits;
        bool file;
    };
    for (const Case c : {Case{169, 23, 8, true}, Case{13, 5, 4, false}, Case{24, 41, 8, false}}) {
        Surface s;
        const std::string bytes = MakeBitmap(c.width, c.height, c.bits, c.file);
        ASSERT_TRUE(c.file ? LoadFile(s, bytes) : LoadResource(s, bytes)) << c.width;
        ASSERT_EQ(s.width, c.width);
        ASSERT_EQ(s.height, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(s.pixels[y * c.width + x], Expected(x, y, c.bits == 8 ? 256 : 16)) << x << "," << y;
    }
    Surface file;
    EXPECT_FALSE(LoadFile(file, MakeBitmap(13, 5, 4, true)));
}

// Each damage applied to a good file or resource must be refused and leave
// the target exactly as it was.
TEST_F(Bitmaps, DamagedBitmapsAreRefusedAndLeaveTheTargetAlone) {
    struct Damage {
        bool file;
        const char* what;
        std::function<void(std::string&)> apply;
    };
    const Damage damages[] = {
        {true, "signature", [](std::string& b) { b[0] = 'X'; }},
        {true, "truncated header", [](std::string& b) { b.resize(30); }},
        {true, "truncated palette", [](std::string& b) { b.resize(600); }},
        {true, "truncated pixels", [](std::string& b) { b.resize(b.size() - 1); }},
        {true, "header size 12", [](std::string& b) { Put32(b, 14, 12); }},
        {true, "header size 124", [](std::string& b) { Put32(b, 14, 124); }},
        {true, "compression", [](std::string& b) { Put32(b, 30, 1); }},
        {true, "bit count 24", [](std::string& b) { Put16(b, 28, 24); }},
        {true, "colours used 200", [](std::string& b) { Put32(b, 46, 200); }},
        {true, "negative width", [](std::string& b) { Put32(b, 18, static_cast<uint32_t>(-8)); }},
        {true, "zero width", [](std::string& b) { Put32(b, 18, 0); }},
        {true, "top-down rows", [](std::string& b) { Put32(b, 22, static_cast<uint32_t>(-4)); }},
        {true, "huge width", [](std::string& b) { Put32(b, 18, 0x7FFFFFFF); }},
        {true, "huge height", [](std::string& b) { Put32(b, 22, 100000); }},
        {true, "pixel offset inside the palette", [](std::string& b) { Put32(b, 10, 100); }},
        {true, "pixel offset past the end", [](std::string& b) { Put32(b, 10, 0xFFFFFF00u); }},
        {false, "truncated pixels", [](std::string& b) { b.resize(b.size() - 1); }},
        {false, "truncated palette", [](std::string& b) { b.resize(100); }},
        {false, "sixteen colours at eight bits", [](std::string& b) { Put32(b, 32, 16); }},
        {false, "two colours", [](std::string& b) { Put32(b, 32, 2); }},
        {false, "compression", [](std::string& b) { Put32(b, 16, 2); }},
        {false, "header size", [](std::string& b) { Put32(b, 0, 108); }},
        {false, "negative height", [](std::string& b) { Put32(b, 8, static_cast<uint32_t>(-41)); }},
        {false, "ten bytes", [](std::string& b) { b.assign(10, '\0'); }},
    };
    Surface s;
    for (const Damage& d : damages) {
        std::string bytes = d.file ? MakeBitmap(8, 4, 8, true) : MakeBitmap(24, 41, 8, false);
        d.apply(bytes);
        Paint(s, 2, 2, [](int, int) { return 0x4242; });
        EXPECT_FALSE(d.file ? LoadFile(s, bytes) : LoadResource(s, bytes)) << d.what;
        EXPECT_EQ(s.width, 2) << d.what;
        EXPECT_EQ(s.pixels[3], 0x4242) << d.what;
    }
    EXPECT_FALSE(LoadBitmapResourceData(s, nullptr, 0));
}

// The game, given a picture it cannot draw (missing, of another size, or a
// FIFO nobody writes; on Windows a folder), names the file and why, shows its
// box and ends with 1, at once, after making the high-score table.
TEST_F(Bitmaps, GameStopsAtAPictureItCannotDrawAndSaysWhy) {
    struct Case {
        const char* file;
        int width, height;  // 0 x 0: a FIFO; -1 x -1: no file
        const char* reason;
    };
    const std::string source = VANTARO_SOURCE_DIR;
    for (const Case c : {Case{"machine.bmp", 30, 20, "is 30 x 20, not 240 x 320"},
                         Case{"machine.bmp", 480, 640, "is 480 x 640, not 240 x 320"},
                         Case{"fruit.bmp", 150, 100, "is 150 x 100, not 200 x 150"},
#ifdef _WIN32
                         Case{"machine.bmp", 0, 0, "is a folder"},
#else
                         Case{"machine.bmp", 0, 0, "is not a regular file"},
#endif
                         Case{"machine.bmp", -1, -1, "No such file or directory"}}) {
        const std::string folder = PlatformRealPath(MakeTempFolder());
        const std::string game = CopyGameInto(folder), picture = folder + "/Images/" + c.file;
        ASSERT_TRUE(MakeFolder(folder + "/Images"));
        ASSERT_TRUE(LinkOrCopy(source + "/Sounds", folder + "/Sounds"));
        for (const char* name : {"machine.bmp", "fruit.bmp", "climb.bmp", "btns.bmp"})
            ASSERT_TRUE(LinkOrCopy(source + "/Images/" + name, folder + "/Images/" + name));
        std::remove(picture.c_str());
        if (c.width > 0) WriteFile(picture, MakeBitmap(c.width, c.height, 8, true));
        if (c.width == 0) {
            ASSERT_TRUE(MakeNonRegular(picture));
        }
        WriteFile(folder + "/play.txt", "wait 1000\n");
        const RunResult r =
            ::Run({game, "--headless", "--script", folder + "/play.txt"}, {"VANTARO_DATA_DIR=" + folder + "/data"}, 20);
        EXPECT_EQ(r.status, 1) << c.reason << "\n" << r.err;
        EXPECT_NE(r.err.find("vantaro: Load Error: " + std::string(c.file) + "\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("vantaro: " + picture + ": " + c.reason + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(ListFolder(folder + "/data"), std::vector<std::string>{"vantarohs.dat"});  // made before
    }
}

// Files the fuzzers found interesting, kept as inputs: none may crash or
// read outside its data (the sanitizers watch), whatever the result.
TEST_F(Bitmaps, FuzzCorpusNeverReadsOutOfBounds) {
    for (const char* kind : {"file", "resource"}) {
        const std::string folder = std::string(VANTARO_SOURCE_DIR) + "/tests/fuzz/corpus_" + kind;
        for (const std::string& name : ListFolder(folder)) {
            const std::string bytes = ReadFile(folder + "/" + name);
            Surface s;
            if (std::string(kind) == "file") LoadFile(s, bytes);
            else LoadResource(s, bytes);
        }
    }
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
    // Loads a committed picture, which the loader takes only at its size.
    static bool Load(Surface& s, const std::string& name) {
        return LoadBitmapFile(s, (std::string(VANTARO_SOURCE_DIR) + "/Images/" + name).c_str());
    }
    const uint16_t white = 0xFFFF, black = 0;
};

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
    ASSERT_TRUE(Load(fruit, "fruit.bmp"));
    ASSERT_TRUE(Load(climb, "climb.bmp"));
    ASSERT_TRUE(Load(buttons, "btns.bmp"));
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
    ASSERT_TRUE(Load(sheet, "fruit.bmp"));
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
    ASSERT_TRUE(Load(machine, "machine.bmp"));
    EXPECT_LT(Brightness(machine, {0, 200, 160, 70}, white), 60);
    EXPECT_EQ(std::count(machine.pixels + 1, machine.pixels + 240 * 320, At(machine, 0, 0)), 0);
    for (int x : {1, 233}) {
        const std::set<uint16_t> margin = Colours(machine, {x, 20, 6, 50});
        const std::set<uint16_t> marker = Colours(machine, {x, 83, 6, 5});
        EXPECT_FALSE(std::includes(margin.begin(), margin.end(), marker.begin(), marker.end())) << "margin at " << x;
    }
}

}  // namespace
