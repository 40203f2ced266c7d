// Presenting frames into display memory of either layout, fades, and the
// busy delay, on the headless display.
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "tests/support.h"

namespace {

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

TEST_F(Display, EmptyPresentsPairBeginWithEndAndAClosedDisplayPresentsNothing) {
    Open(2, 480);
    Surface empty;
    Present(empty);
    PresentRect(screen, 0, 10, 240, 0);
    EXPECT_EQ(headless::Presents().size(), 2u);
    EXPECT_EQ(headless::DrawsOpen(), 0);
    EXPECT_EQ(headless::Frame(), std::vector<uint16_t>(240 * 320, 0));
    GXCloseDisplay();
    Present(screen);
    EXPECT_EQ(headless::Presents().size(), 2u);
    EXPECT_EQ(headless::Frame(), std::vector<uint16_t>(240 * 320, 0));
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
}

TEST_F(Display, FadeFrameCountFollowsTheStep) {
    Open(2, 480);
    FadeOut(screen, 0, 255);  // the picture, then the flat colour
    EXPECT_EQ(headless::Presents().size(), 2u);
    FadeIn(screen, 0, 200);  // levels 0, 200, 255
    EXPECT_EQ(headless::Presents().size(), 5u);
    FadeIn(screen, 0, 0);  // would never end: nothing happens
    EXPECT_EQ(headless::Presents().size(), 5u);
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
