// Loading palette bitmaps: valid pictures load exactly, damaged ones are
// refused without reading outside the data and without touching the target.
#include <gtest/gtest.h>

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

TEST_F(Bitmaps, EightBitFileLoadsTopRowFromLastStoredRow) {
    Surface s;
    ASSERT_TRUE(LoadFile(s, MakeBitmap(169, 23, 8, true)));  // stride 172
    ASSERT_EQ(s.width, 169);
    ASSERT_EQ(s.height, 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 169; ++x) ASSERT_EQ(s.pixels[y * 169 + x], Expected(x, y, 256)) << x << "," << y;
}

TEST_F(Bitmaps, FileThroughThePathLoadsAndAnEmptyPathFails) {
    const std::string path = MakeTempFolder() + "/picture.bmp";
    WriteFile(path, MakeBitmap(5, 4, 8, true, 256));
    Surface s;
    EXPECT_TRUE(LoadBitmapFile(s, path.c_str()));
    EXPECT_EQ(s.pixels[4 * 3 + 2], Expected(2, 3, 256));
    EXPECT_FALSE(LoadBitmapFile(s, ""));
    EXPECT_FALSE(LoadBitmapFile(s, nullptr));
    EXPECT_FALSE(LoadBitmapFile(s, (path + ".missing").c_str()));
}

TEST_F(Bitmaps, ColourCountComesFromColoursUsedOrTheBitCount) {
    std::string header = MakeBitmap(1, 1, 8, false);
    EXPECT_EQ(DibColourCount(reinterpret_cast<const uint8_t*>(header.data())), 256);
    Put32(header, 32, 200);
    EXPECT_EQ(DibColourCount(reinterpret_cast<const uint8_t*>(header.data())), 200);
    Put32(header, 32, 0);
    Put16(header, 14, 1);
    EXPECT_EQ(DibColourCount(reinterpret_cast<const uint8_t*>(header.data())), 2);
    Put16(header, 14, 24);
    EXPECT_EQ(DibColourCount(reinterpret_cast<const uint8_t*>(header.data())), 0);
}

TEST_F(Bitmaps, FourBitResourceTakesTheHighNibbleOnEvenColumns) {
    Surface s;
    ASSERT_TRUE(LoadResource(s, MakeBitmap(13, 5, 4, false)));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(s.pixels[y * 13 + x], Expected(x, y, 16)) << x << "," << y;
    Surface file;
    EXPECT_FALSE(LoadFile(file, MakeBitmap(13, 5, 4, true)));  // files are 8-bit only
}

TEST_F(Bitmaps, EightBitResourceLoads) {
    Surface s;
    ASSERT_TRUE(LoadResource(s, MakeBitmap(24, 41, 8, false)));
    EXPECT_EQ(s.pixels[40 * 24 + 23], Expected(23, 40, 256));
}

// Each damage applied to a good file must be refused and leave the target
// exactly as it was.
struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
};

TEST_F(Bitmaps, DamagedFilesAreRefusedAndLeaveTheTargetAlone) {
    const Damage damages[] = {
        {"signature", [](std::string& b) { b[0] = 'X'; }},
        {"truncated header", [](std::string& b) { b.resize(30); }},
        {"truncated palette", [](std::string& b) { b.resize(600); }},
        {"truncated pixels", [](std::string& b) { b.resize(b.size() - 1); }},
        {"header size 12", [](std::string& b) { Put32(b, 14, 12); }},
        {"header size 124", [](std::string& b) { Put32(b, 14, 124); }},
        {"compression", [](std::string& b) { Put32(b, 30, 1); }},
        {"bit count 24", [](std::string& b) { Put16(b, 28, 24); }},
        {"colours used 200", [](std::string& b) { Put32(b, 46, 200); }},
        {"negative width", [](std::string& b) { Put32(b, 18, static_cast<uint32_t>(-8)); }},
        {"zero width", [](std::string& b) { Put32(b, 18, 0); }},
        {"top-down rows", [](std::string& b) { Put32(b, 22, static_cast<uint32_t>(-4)); }},
        {"huge width", [](std::string& b) { Put32(b, 18, 0x7FFFFFFF); }},
        {"huge height", [](std::string& b) { Put32(b, 22, 100000); }},
        {"pixel offset inside the palette", [](std::string& b) { Put32(b, 10, 100); }},
        {"pixel offset past the end", [](std::string& b) { Put32(b, 10, 0xFFFFFF00u); }},
    };
    for (const Damage& d : damages) {
        std::string bytes = MakeBitmap(8, 4, 8, true);
        d.apply(bytes);
        Surface s;
        Paint(s, 2, 2, [](int, int) { return 0x4242; });
        EXPECT_FALSE(LoadFile(s, bytes)) << d.what;
        EXPECT_EQ(s.width, 2) << d.what;
        EXPECT_EQ(s.pixels[3], 0x4242) << d.what;
    }
}

TEST_F(Bitmaps, DamagedResourcesAreRefused) {
    const Damage damages[] = {
        {"truncated pixels", [](std::string& b) { b.resize(b.size() - 1); }},
        {"truncated palette", [](std::string& b) { b.resize(100); }},
        {"sixteen colours at eight bits", [](std::string& b) { Put32(b, 32, 16); }},
        {"two colours", [](std::string& b) { Put32(b, 32, 2); }},
        {"compression", [](std::string& b) { Put32(b, 16, 2); }},
        {"header size", [](std::string& b) { Put32(b, 0, 108); }},
        {"negative height", [](std::string& b) { Put32(b, 8, static_cast<uint32_t>(-41)); }},
    };
    for (const Damage& d : damages) {
        std::string bytes = MakeBitmap(24, 41, 8, false);
        d.apply(bytes);
        Surface s;
        EXPECT_FALSE(LoadResource(s, bytes)) << d.what;
        EXPECT_EQ(s.pixels, nullptr) << d.what;
    }
    Surface s;
    EXPECT_FALSE(LoadResource(s, std::string(10, '\0')));
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
    Surface other;
    ASSERT_TRUE(LoadBitmapResource(other, nullptr, L"lcdalpha"));  // a longer name is another picture
    EXPECT_NE(other.width, s.width);
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
    SUCCEED();
}

}  // namespace
