// Loading palette bitmaps: valid pictures load exactly, damaged ones are
// refused without reading outside the data and without touching the target.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "gfx/bitmap.h"
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
std::string MakeBitmap(int width, int height, int bits, bool withFileHeader, uint32_t coloursUsed = 0) {
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
    Put32(b, head + 32, coloursUsed);
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
    // Through a path; an empty or missing path fails.
    const std::string path = MakeTempFolder() + "/picture.bmp";
    WriteFile(path, MakeBitmap(5, 4, 8, true, 256));
    EXPECT_TRUE(LoadBitmapFile(file, path.c_str()));
    EXPECT_EQ(file.pixels[4 * 3 + 2], Expected(2, 3, 256));
    EXPECT_FALSE(LoadBitmapFile(file, ""));
    EXPECT_FALSE(LoadBitmapFile(file, nullptr));
    EXPECT_FALSE(LoadBitmapFile(file, (path + ".missing").c_str()));
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

TEST_F(Bitmaps, ResourcesAreFoundByNameWithoutRegardToCase) {
    Surface s;
    EXPECT_FALSE(LoadBitmapResource(s, nullptr, L"NO SUCH PICTURE"));
    EXPECT_FALSE(LoadBitmapResource(s, nullptr, nullptr));
    ASSERT_TRUE(LoadBitmapResource(s, nullptr, L"LCD"));
    for (const wchar_t* name : {L"lcd", L"Lcd", L"lCD"}) {
        Surface again;
        ASSERT_TRUE(LoadBitmapResource(again, nullptr, name));
        ASSERT_EQ(again.width, s.width);
        ASSERT_EQ(again.height, s.height);
        EXPECT_EQ(0, std::memcmp(again.pixels, s.pixels, static_cast<size_t>(s.width) * s.height * 2));
    }
    ASSERT_TRUE(LoadBitmapResource(s, nullptr, L"lcdalpha"));  // a longer name is another picture
    EXPECT_NE(s.width, 169);
}

// The pictures the drawing takes tiles from at fixed places load only at
// their own size, known by the last component of the path in any case.
TEST_F(Bitmaps, PicturesTheDrawingReliesOnLoadOnlyAtTheirSize) {
    struct Case {
        const char* name;
        int width, height;
        bool loads;
    };
    const std::string folder = MakeTempFolder();
    for (const Case c : {Case{"MACHINE.BMP", 30, 20, false}, Case{"Machine.bmp", 240, 320, true},
                         Case{"fruit.bmp", 200, 149, false}, Case{"btns.BMP", 160, 80, true},
                         Case{"climb.bmp", 160, 80, false}, Case{"machine.bmp.old", 30, 20, true}}) {
        const std::string path = folder + "/" + c.name;
        WriteFile(path, MakeBitmap(c.width, c.height, 8, true));
        Surface s;
        Paint(s, 2, 2, [](int, int) { return 0x4242; });
        EXPECT_EQ(LoadBitmapFile(s, path.c_str()), c.loads) << c.name;
        EXPECT_EQ(s.width, c.loads ? c.width : 2) << c.name;
    }
}

// The game, given a picture it cannot draw (missing, of another size, or a
// FIFO nobody writes), names the file and why, shows its box and ends with
// 1, at once.
TEST_F(Bitmaps, GameStopsAtAPictureItCannotDrawAndSaysWhy) {
    struct Case {
        const char* file;
        int width, height;  // 0 x 0: a FIFO; -1 x -1: no file
        const char* reason;
    };
    const std::string source = VANTARO_SOURCE_DIR;
    for (const Case c : {Case{"machine.bmp", 1, 1, "is 1 x 1, not 240 x 320"},
                         Case{"machine.bmp", 30, 20, "is 30 x 20, not 240 x 320"},
                         Case{"machine.bmp", 480, 640, "is 480 x 640, not 240 x 320"},
                         Case{"fruit.bmp", 150, 100, "is 150 x 100, not 200 x 150"},
                         Case{"machine.bmp", 0, 0, "is not a regular file"},
                         Case{"machine.bmp", -1, -1, "No such file or directory"}}) {
        char* real = realpath(MakeTempFolder().c_str(), nullptr);
        const std::string folder = real;
        std::free(real);
        const std::string game = CopyGameInto(folder), picture = folder + "/Images/" + c.file;
        ASSERT_EQ(mkdir((folder + "/Images").c_str(), 0755), 0);
        ASSERT_EQ(symlink((source + "/Sounds").c_str(), (folder + "/Sounds").c_str()), 0);
        for (const char* name : {"machine.bmp", "fruit.bmp", "climb.bmp", "btns.bmp"})
            ASSERT_EQ(symlink((source + "/Images/" + name).c_str(), (folder + "/Images/" + name).c_str()), 0);
        std::remove(picture.c_str());
        if (c.width > 0) WriteFile(picture, MakeBitmap(c.width, c.height, 8, true));
        if (c.width == 0) {
            ASSERT_EQ(mkfifo(picture.c_str(), 0644), 0);
        }
        WriteFile(folder + "/play.txt", "wait 1000\n");
        const RunResult r =
            ::Run({game, "--headless", "--script", folder + "/play.txt"}, {"VANTARO_DATA_DIR=" + folder + "/data"}, 20);
        EXPECT_EQ(r.status, 1) << c.reason << "\n" << r.err;
        EXPECT_NE(r.err.find("vantaro: Load Error: " + std::string(c.file) + "\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("vantaro: " + picture + ": " + c.reason + "\n"), std::string::npos) << r.err;
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

}  // namespace
