// Drawing and presenting where the golden pictures do not reach: the
// dot-matrix text and the LCD message strip; blits clipped at every edge and
// blends of every alpha on every pixel; frames presented into display memory
// of either layout, fades frame by frame, and the busy delay.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gfx/blit.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/winapi/playsound.h"
#include "platform/winapi/kernel.h"
#include "screens/lcd.h"
#include "tests/support.h"

namespace {

constexpr uint16_t Ground = 0x1234;  // a colour no shape here draws
constexpr uint16_t Ink = 0xFFFF;

struct Drawing : ::testing::Test {
    Surface s;
    void SetUp() override {
        StartHeadless();
        InitGraphics();
        s.Create(240, 320);
        s.Fill(Ground);
    }
    uint16_t At(int x, int y) const { return s.pixels[y * s.width + x]; }
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

// Glyphs and centred text as the screens draw them are checked in the
// golden pictures; here what those do not reach. Characters without a glyph
// (a damaged table's names may hold any byte) leave a blank cell, and the
// eighth column of a cell is never drawn.
TEST_F(Drawing, CharactersWithoutAGlyphLeaveABlankCell) {
    const std::string a = "oooo::: oo:oo:: oo::oo: oo:::oo ooooooo oo:::oo oo:::oo";
    EXPECT_EQ(DrawText(s, "A\\~\x80\xff" "A", 0, 0, Ink), 6);
    EXPECT_EQ(Cell(0, 0), a);
    EXPECT_EQ(Cell(40, 0), a);  // five cells on
    for (int y = 0; y < 9; ++y)
        for (int x = 7; x < 40; ++x) ASSERT_EQ(At(x, y), Ground) << x << "," << y;
}

struct Lcd : Drawing {
    void TearDown() override { headless::HideResource(L"LCDALPHA", false); }
};

// The status panel's readouts are checked in the golden pictures, the
// strip's frames for a message in the splash screen's; here what they do not
// show: small letters come as capitals, entering at the right-hand cell on
// the second scroll frame, and the strip leaves the picture as it was.
TEST_F(Lcd, MessageStripShowsSmallLettersAsCapitalsAndLeavesThePicture) {
    Paint(s, 240, 320, [](int x, int y) { return x * 7 + y * 3; });
    const std::vector<uint16_t> before(s.pixels, s.pixels + 240 * 320);
    ASSERT_TRUE(GXOpenDisplay(nullptr, GX_FULLSCREEN));
    std::vector<std::vector<uint16_t>> upper, lower;
    auto take = [](void* frames) {
        static_cast<std::vector<std::vector<uint16_t>>*>(frames)->push_back(headless::Frame());
    };
    headless::SetPresentWatcher(take, &upper);
    EXPECT_EQ(ScrollLcdMessage(s, 0, 270, 10, "AB"), 1);
    headless::SetPresentWatcher(take, &lower);
    ScrollLcdMessage(s, 0, 270, 10, "ab");
    headless::SetPresentWatcher(nullptr, nullptr);
    ASSERT_EQ(upper.size(), 13u + 13u + 13u);  // fade in, scroll, fade out
    EXPECT_EQ(upper, lower);
    int changedLeft = 0, changedRight = 0;
    for (int y = 270; y < 311; ++y)
        for (int x = 0; x < 240; ++x)
            (x < 216 ? changedLeft : changedRight) += upper[14][y * 240 + x] != upper[13][y * 240 + x];
    EXPECT_EQ(changedLeft, 0);
    EXPECT_GT(changedRight, 0);
    EXPECT_EQ(std::vector<uint16_t>(s.pixels, s.pixels + 240 * 320), before);
    EXPECT_NE(headless::Frame(), before);  // the last fade step: faint blank cells
}

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

struct Display : ::testing::Test {
    Surface screen;
    void Open(long xPitch, long yPitch) {
        headless::SetPitches(xPitch, yPitch);
        StartHeadless();
        InitGraphics();
        ASSERT_EQ(GXOpenDisplay(nullptr, GX_FULLSCREEN), 1);
        Paint(screen, 240, 320, [](int x, int y) { return (x * 31 + y * 7) & 0xFFFF; });
    }
    void TearDown() override { headless::SetPitches(2, 480); }
    // The byte address in display memory of frame pixel (x, y).
    uint16_t Memory(long xPitch, long yPitch, int x, int y) const {
        const auto& m = headless::FrameMemory();
        const size_t at = headless::FrameBaseOffset() + x * xPitch + y * yPitch;
        return static_cast<uint16_t>(m[at] | (m[at + 1] << 8));
    }
    std::vector<uint16_t> Pixels(const Surface& s) const { return {s.pixels, s.pixels + 240 * 320}; }
};

// Portrait memory is a row-by-row copy; landscape memory takes each row down
// a column, frame pixel (0, 0) in the last landscape row. Odd pitches step by
// their even neighbour, inside the memory.
TEST_F(Display, PresentFillsMemoryOfEveryLayout) {
    for (auto [xp, yp] : {std::pair{2L, 480L}, std::pair{-640L, 2L}, std::pair{-641L, 3L}, std::pair{3L, 481L},
                          std::pair{-3L, -481L}}) {
        SCOPED_TRACE(testing::Message() << xp << "," << yp);
        Open(xp, yp);
        Present(screen);
        const long xs = GXPixelStep(xp), ys = GXPixelStep(yp);
        EXPECT_EQ(headless::FrameMemory().size(), static_cast<size_t>(std::labs(xs) * 239 + std::labs(ys) * 319 + 2));
        for (int y : {0, 1, 160, 319})
            for (int x : {0, 1, 120, 239}) EXPECT_EQ(Memory(xs, ys, x, y), screen.pixels[y * 240 + x]) << x << "," << y;
        EXPECT_EQ(headless::Frame(), Pixels(screen));
        EXPECT_EQ(headless::Presents().size(), 1u);
        EXPECT_EQ(headless::DrawsOpen(), 0);
        if (xp == -640) {
            EXPECT_EQ(headless::FrameBaseOffset(), 239u * 640);
        }
    }
}

TEST_F(Display, PresentRectCopiesOnlyItsRectangleInBothLayouts) {
    struct Rect {
        int x, y, w, h;
    };
    for (auto [xp, yp] : {std::pair{2L, 480L}, std::pair{-640L, 2L}})
        for (Rect r : {Rect{0, 10, 240, 150}, Rect{37, 21, 101, 50}, Rect{200, 300, 100, 100}}) {
            Open(xp, yp);
            PresentRect(screen, r.x, r.y, r.w, r.h);
            const std::vector<uint16_t> frame = headless::Frame();
            for (int y = 0; y < 320; ++y)
                for (int x = 0; x < 240; ++x) {
                    const bool inside = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                    ASSERT_EQ(frame[y * 240 + x], inside ? screen.pixels[y * 240 + x] : 0)
                        << xp << " " << r.x << "," << r.y << ": " << x << "," << y;
                }
        }
}

// However long a run goes on, its logs keep only the latest presents and
// sounds, so memory stays flat; the counts go on.
TEST_F(Display, LongRunsKeepATailOfTheLogs) {
    Open(2, 480);
    headless::SetLogLimit(headless::LOG_TAIL);
    const uint64_t n = 5 * headless::LOG_TAIL;
    for (uint64_t i = 0; i < n; ++i) {
        Present(screen);
        PlaySoundW(nullptr, nullptr, SND_ASYNC);
    }
    EXPECT_EQ(headless::PresentCount(), n);
    EXPECT_EQ(headless::SoundCount(), n);
    for (const size_t kept : {headless::Presents().size(), headless::Sounds().size()}) {
        EXPECT_GE(kept, headless::LOG_TAIL);
        EXPECT_LE(kept, 2 * headless::LOG_TAIL);
    }
    EXPECT_EQ(headless::Presents().back(), headless::NowUs());
}

TEST_F(Display, PresentsArePacedToSixtyFramesASecond) {
    Open(2, 480);
    for (int i = 0; i < 61; ++i) Present(screen);
    const auto& p = headless::Presents();
    EXPECT_NEAR(static_cast<double>(p.back() - p.front()), 1e6, 1000);
}

// Each presented frame of a fade against the blend computed here, channel
// by channel: the picture over the flat colour at the frame's alpha. A fade
// out leaves the surface flat, a fade in leaves it the picture exactly.
// Other steps are seen in the splash screen's and the LCD strip's frames.
TEST_F(Display, FadesShowEachLevelFrameByFrame) {
    struct Watch {
        std::vector<std::vector<uint16_t>> frames;
        static void Take(void* self) { static_cast<Watch*>(self)->frames.push_back(headless::Frame()); }
    };
    auto blend = [](uint16_t d, uint16_t s, int a) {
        int out = 0;
        for (auto [shift, mask] : {std::pair{11, 31}, std::pair{5, 63}, std::pair{0, 31}}) {
            const int c1 = (d >> shift) & mask, c2 = (s >> shift) & mask;
            const int u = (c2 - c1) * a + 128;
            out |= (c1 + ((u + (u >> 8)) >> 8)) << shift;
        }
        return static_cast<uint16_t>(out);
    };
    const uint16_t flat = MakeColour(0, 0, 64);
    for (bool out : {true, false}) {
        Open(2, 480);
        const std::vector<uint16_t> picture = Pixels(screen);
        Watch watch;
        headless::SetPresentWatcher(Watch::Take, &watch);
        if (out) FadeOut(screen, flat, 50);
        else FadeIn(screen, flat, 50);
        headless::SetPresentWatcher(nullptr, nullptr);
        const int levels[] = {0, 50, 100, 150, 200, 250, 255};
        ASSERT_EQ(watch.frames.size(), 7u);
        for (int f = 0; f < 7; ++f) {
            const int alpha = out ? 255 - levels[f] : levels[f];
            for (int i = 0; i < 240 * 320; ++i)
                ASSERT_EQ(watch.frames[f][i], blend(flat, picture[i], alpha)) << out << " frame " << f << " at " << i;
        }
        EXPECT_EQ(watch.frames[out ? 0 : 6], picture);
        EXPECT_EQ(Pixels(screen), out ? std::vector<uint16_t>(240 * 320, flat) : picture);
    }
    const size_t presents = headless::Presents().size();
    FadeIn(screen, 0, 0);  // a step that would never end: nothing happens
    EXPECT_EQ(headless::Presents().size(), presents);
}

TEST(Delay, WaitsTheFullTimeAcrossTheTickWrapAndSharesTheStopwatch) {
    StartHeadless(0xFFFFFF00u);  // 255 ms before the counter wraps
    const DWORD start = GetTickCount();
    EXPECT_EQ(Delay(0), 0u);
    EXPECT_EQ(GetTickCount(), start);
    EXPECT_GE(Delay(3000), 3000u);
    EXPECT_LT(GetTickCount(), start);  // it wrapped
    EXPECT_EQ(static_cast<DWORD>(GetTickCount() - start), 3000u);
    StartTimer();
    headless::Advance(40);
    EXPECT_EQ(ElapsedMs(), 40u);
    Delay(10);
    EXPECT_EQ(ElapsedMs(), 10u);  // the delay restarted it
}

}  // namespace
