// The vector shapes, the dot-matrix text and the two LCD fonts, drawn into
// surfaces and onto the headless display.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "gfx/lines.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "screens/lcd.h"
#include "shell/program.h"
#include "tests/support.h"

namespace {

constexpr uint16_t Ground = 0x1234;  // a colour no shape here draws
constexpr uint16_t Ink = 0xFFFF;

struct Drawing : ::testing::Test {
    Surface s;
    void SetUp() override {
        StartHeadless();
        InitGraphics();
        Blank(240, 320);
    }
    void Blank(int w, int h) {
        s.Create(w, h);
        s.Fill(Ground);
    }
    uint16_t At(int x, int y) const { return s.pixels[y * s.width + x]; }
    int Count(uint16_t colour) const {
        int n = 0;
        for (int i = 0; i < s.width * s.height; ++i) n += s.pixels[i] == colour;
        return n;
    }
    // The lit dots of the cell at (x, y), as seven rows of "o" and ":".
    std::string Cell(int x, int y) const {
        std::string rows;
        for (int r = 0; r < 7; ++r) {
            for (int k = 0; k < 7; ++k) rows += At(x + k, y + r) == Ink ? 'o' : ':';
            rows += r < 6 ? " " : "";
        }
        return rows;
    }
};

// Shapes, glyphs and centred text as the screens draw them are checked in
// the golden pictures; here the cases those do not reach.
TEST_F(Drawing, EmptyAndSinglePixelShapes) {
    HLine(s, 5, 7, 0, Ink);
    VLine(s, 5, 7, -3, Ink);
    EXPECT_EQ(Count(Ink), 0);
    FrameRect(s, 10, 20, 10, 20, Ink);  // a single pixel
    EXPECT_EQ(Count(Ink), 1);
    EXPECT_EQ(At(10, 20), Ink);
    VerticalGradient(s, 0x5ACB, 0x5ACB);
    EXPECT_EQ(Count(0x5ACB), 240 * 320);
    Surface empty;
    VerticalGradient(empty, 0, Ink);  // no rows: nothing to do
}

// Characters without a glyph leave a blank cell, and the eighth column of
// a cell is never drawn. Text centres vertically too; a line feed or a
// carriage return goes back to the line start, 9 rows down; a line too
// long wraps, and from y = 300 on wrapped lines overwrite the same line.
TEST_F(Drawing, BlankCellsCentringLinesAndWrapping) {
    const std::string a = "oooo::: oo:oo:: oo::oo: oo:::oo ooooooo oo:::oo oo:::oo";
    EXPECT_EQ(DrawText(s, "A\\~\x80\xff" "A", 0, 0, Ink), 6);
    EXPECT_EQ(Cell(0, 0), a);
    EXPECT_EQ(Cell(40, 0), a);  // five cells on
    for (int y = 0; y < 9; ++y)
        for (int x = 7; x < 40; ++x) ASSERT_EQ(At(x, y), Ground) << x << "," << y;

    Blank(240, 320);
    DrawText(s, "#", 0, TEXT_CENTRE, Ink);  // the full cell shows where it went
    EXPECT_EQ(At(0, 156), Ink);
    EXPECT_EQ(At(0, 155), Ground);
    Blank(240, 320);
    DrawText(s, "#\n#\r\n#", 20, 10, Ink);
    const std::string full = "ooooooo ooooooo ooooooo ooooooo ooooooo ooooooo ooooooo";
    for (int y : {10, 19, 37}) EXPECT_EQ(Cell(20, y), full) << y;
    EXPECT_EQ(At(20, 28), Ground);

    // 40 characters from x = 10: 28 fit (the 28th ends the line at x = 234).
    Blank(240, 320);
    DrawText(s, std::string(40, '#').c_str(), 10, 100, Ink);
    EXPECT_EQ(At(10 + 27 * 8 + 6, 100), Ink);
    EXPECT_EQ(At(10 + 28 * 8, 100), Ground);
    EXPECT_EQ(At(10 + 11 * 8 + 6, 109), Ink);  // the 40th, twelfth of the second line
    EXPECT_EQ(At(10 + 12 * 8, 109), Ground);
    Blank(240, 320);
    DrawText(s, std::string(60, '#').c_str(), 10, 300, Ink);
    EXPECT_EQ(At(10, 309), Ground);
}

TEST_F(Drawing, TextNeverDrawsOutsideItsSurface) {
    // Centred text wider than the surface starts left of it; what falls
    // outside is left out, and the guard rows around the surface stay as
    // they were (the sanitizer watches the rest of memory).
    Surface guarded;
    guarded.Create(100, 30);
    guarded.Fill(Ground);
    Surface inner;
    inner.width = 100;
    inner.height = 10;
    inner.pixels = guarded.pixels + 100 * 10;
    const std::string wide(40, '#');
    DrawText(inner, wide.c_str(), TEXT_CENTRE, 0, Ink);  // x = (100 - 320) / 2 = -110
    DrawText(inner, "###", -5, -4, Ink);
    DrawText(inner, "###", 97, 8, Ink);
    const bool centredShows = inner.pixels[0] == Ink;
    inner.pixels = nullptr;  // borrowed
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            if (y < 10 || y >= 20) {
                ASSERT_EQ(guarded.pixels[y * 100 + x], Ground) << x << "," << y;
            }
    // Nor past the right edge into the next row.
    for (int x = 0; x < 4; ++x) EXPECT_EQ(guarded.pixels[19 * 100 + x], Ground) << x;
    EXPECT_TRUE(centredShows);
}

TEST_F(Drawing, SetGlyphKeepsWhatFitsItsRows) {
    const std::string longRow(64, 'o');
    SetGlyph(49, longRow.c_str(), ":::::::", ":::::::", ":::::::", ":::::::", ":::::::", "o");
    DrawText(s, "#", 0, 0, Ink);
    EXPECT_EQ(Cell(0, 0), "ooooooo ::::::: ::::::: ::::::: ::::::: ::::::: o::::::");
    SetGlyph(-1, "", "", "", "", "", "", "");  // no such slot: nothing happens
    SetGlyph(GLYPH_SLOTS, "", "", "", "", "", "", "");
    BuildFont();  // back to the real '#'
}

struct Lcd : Drawing {
    void SetUp() override {
        Drawing::SetUp();
        ASSERT_TRUE(LoadBitmapResource(LcdDigitFont, PlatformModule(), L"LCD"));
    }
    void TearDown() override { headless::HideResource(L"LCDALPHA", false); }
    bool SameAsDigitCell(int x, int y, int cell) const {
        for (int r = 0; r < LCD_DIGIT_HEIGHT; ++r)
            for (int c = 0; c < LCD_DIGIT_WIDTH; ++c)
                if (At(x + c, y + r) != LcdDigitFont.pixels[r * LcdDigitFont.width + cell * LCD_DIGIT_WIDTH + c]) return false;
        return true;
    }
};

// The status panel's readouts are checked in the golden pictures; here the
// characters they never show, and a missing font.
TEST_F(Lcd, UnknownCharactersLeaveTheirCellsAndWithoutTheFontNothingIsDrawn) {
    EXPECT_EQ(DrawLcdDigits(s, 0, 0, "FxfF"), 1);
    EXPECT_TRUE(SameAsDigitCell(0, 0, 12));
    EXPECT_EQ(At(13 + 6, 10), Ground);  // 'x' and 'f' have no cell
    EXPECT_EQ(At(26 + 6, 10), Ground);
    EXPECT_TRUE(SameAsDigitCell(39, 0, 12));
    EXPECT_EQ(At(52, 10), Ground);

    LcdDigitFont.Free();
    Blank(240, 320);
    EXPECT_EQ(DrawLcdDigits(s, 0, 0, "88"), 0);
    EXPECT_EQ(Count(Ground), 240 * 320);
}

TEST_F(Lcd, MessageFadesInScrollsFadesOutAndLeavesThePicture) {
    Paint(s, 240, 320, [](int x, int y) { return x * 7 + y * 3; });
    Surface before;
    before.CopyFrom(s);
    ASSERT_TRUE(GXOpenDisplay(nullptr, GX_FULLSCREEN));
    const uint64_t start = headless::NowUs();
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, ""), 1);
    // 13 fade-in frames, 11 scroll frames 100 ms apart, 13 fade-out frames.
    EXPECT_EQ(headless::Presents().size(), 37u);
    EXPECT_GE(headless::NowUs() - start, 11 * 100000u);
    EXPECT_EQ(0, std::memcmp(s.pixels, before.pixels, 240 * 320 * 2));
    // The screen still shows the last fade step: faint blank cells.
    EXPECT_NE(headless::Frame(), std::vector<uint16_t>(before.pixels, before.pixels + 240 * 320));

    const size_t presents = headless::Presents().size();
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, "Out of money"), 1);
    EXPECT_EQ(headless::Presents().size() - presents, 13u + 23u + 13u);

    const std::string longest(LCD_MESSAGE_MAX, 'A');
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, (longest + "A").c_str()), 0);
    headless::HideResource(L"LCDALPHA", true);
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, "HELLO"), 0);
    headless::HideResource(L"LCDALPHA", false);
    const size_t refused = headless::Presents().size();
    EXPECT_EQ(refused - presents, 49u);  // the refusals presented nothing
    EXPECT_EQ(0, std::memcmp(s.pixels, before.pixels, 240 * 320 * 2));
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, longest.c_str()), 1);
    EXPECT_EQ(headless::Presents().size() - refused, 13u + 246u + 13u);
}

TEST_F(Lcd, ScrollFramesShowTheLettersOfEitherCase) {
    struct Watch {
        std::vector<std::vector<uint16_t>> frames;
        static void Take(void* self) { static_cast<Watch*>(self)->frames.push_back(headless::Frame()); }
    };
    s.Fill(0);
    ASSERT_TRUE(GXOpenDisplay(nullptr, GX_FULLSCREEN));
    Watch upper, lower;
    headless::SetPresentWatcher(Watch::Take, &upper);
    ScrollLcdMessage(s, 0, 270, 10, "AB");
    headless::SetPresentWatcher(Watch::Take, &lower);
    ScrollLcdMessage(s, 0, 270, 10, "ab");
    headless::SetPresentWatcher(nullptr, nullptr);
    ASSERT_EQ(upper.frames.size(), 13u + 13u + 13u);
    EXPECT_EQ(upper.frames, lower.frames);
    // The first letter enters at the right-hand cell on the second scroll frame.
    const std::vector<uint16_t>& entering = upper.frames[13 + 1];
    const std::vector<uint16_t>& blank = upper.frames[13];
    bool changed = false;
    for (int y = 270; y < 311; ++y)
        for (int x = 0; x < 240; ++x) {
            const bool differs = entering[y * 240 + x] != blank[y * 240 + x];
            if (x < 216) {
                ASSERT_FALSE(differs) << x << "," << y;
            }
            changed = changed || differs;
        }
    EXPECT_TRUE(changed);
}

}  // namespace
