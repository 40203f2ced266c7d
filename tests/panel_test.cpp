// The touch buttons: the table, hit tests, drawing with the bevel and the
// flags, taps becoming commands, and the modal loop of the full-screen pages.
#include <gtest/gtest.h>

#include <cstring>

#include "gfx/display.h"
#include "platform/gx.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/panel.h"
#include "tests/support.h"

namespace {

constexpr uint16_t Ground = 0x1234;

struct Panel : ::testing::Test {
    ButtonPanel panel;
    Surface s;
    void SetUp() override {
        StartHeadless();
        InitGraphics();
        PanelInit(panel);
        s.Create(240, 320);
        s.Fill(Ground);
    }
    uint16_t At(int x, int y) const { return s.pixels[y * s.width + x]; }
    static uint16_t Grey(int level) { return MakeColour(level, level, level); }
};

TEST_F(Panel, ButtonsAreFoundByIdAndByPointFirstAddedFirst) {
    ASSERT_EQ(PanelAdd(panel, 1, "HOLD", 8, 165, 52, 20, 0), 1);
    const PanelButton& b = panel.button[0];
    EXPECT_EQ(b.rect.left, 8);
    EXPECT_EQ(b.rect.top, 165);
    EXPECT_EQ(b.rect.right, 60);
    EXPECT_EQ(b.rect.bottom, 185);
    EXPECT_EQ(PanelHitTest(panel, 8, 165), 1);
    EXPECT_EQ(PanelHitTest(panel, 59, 184), 1);
    EXPECT_EQ(PanelHitTest(panel, 60, 184), 0);
    EXPECT_EQ(PanelHitTest(panel, 59, 185), 0);
    EXPECT_EQ(PanelHitTest(panel, 7, 170), 0);

    ASSERT_EQ(PanelAdd(panel, 2, "B", 50, 170, 40, 20, 0), 1);  // overlaps the first
    EXPECT_EQ(PanelHitTest(panel, 55, 175), 1);
    EXPECT_EQ(PanelHitTest(panel, 65, 175), 2);
    ASSERT_EQ(PanelAdd(panel, 2, "again", 0, 0, 10, 10, 0), 1);
    EXPECT_EQ(PanelFind(panel, 2), 2);  // the first with that id
    EXPECT_EQ(PanelFind(panel, 0x10000 + 1), 1);  // ids are 16 bits
    EXPECT_EQ(PanelFind(panel, 7), 0);

    EXPECT_EQ(PanelSetLabel(panel, 1, "NUDGE"), 1);
    EXPECT_STREQ(panel.button[0].label, "NUDGE");
    EXPECT_EQ(PanelSetLabel(panel, 7, "x"), 0);
    PanelEnable(panel, 1, 0);
    EXPECT_EQ(panel.button[0].flags, PB_DISABLED);
    PanelEnable(panel, 1, 5);
    EXPECT_EQ(panel.button[0].flags, 0);
    PanelEnable(panel, 7, 0);  // no such button: nothing happens
    EXPECT_EQ(PanelSetFlags(panel, 2, PB_FLAT | 0x100), 2);
    EXPECT_EQ(panel.button[1].flags, PB_FLAT);
    EXPECT_EQ(PanelSetColours(panel, 2, -1, 0x0F0F, -1, 0x00FF), 2);
    EXPECT_EQ(panel.button[1].textColour, MakeColour(0, 0, 0));
    EXPECT_EQ(panel.button[1].faceColour, 0x0F0F);
    EXPECT_EQ(panel.button[1].disabledColour, 0x00FF);
    EXPECT_EQ(PanelSetColours(panel, 9, 1, 1, 1, 1), 0);

    for (int i = 3; i < PANEL_MAX_BUTTONS; ++i) ASSERT_EQ(PanelAdd(panel, 10 + i, "", 0, 0, 1, 1, 0), 1);
    const ButtonPanel full = panel;
    EXPECT_EQ(PanelAdd(panel, 99, "no room", 0, 0, 1, 1, 0), 0);
    EXPECT_EQ(panel.count, PANEL_MAX_BUTTONS);
    EXPECT_EQ(PanelFind(panel, 99), 0);
    EXPECT_EQ(std::memcmp(&full, &panel, sizeof panel), 0);
    PanelClear(panel);
    EXPECT_EQ(PanelHitTest(panel, 55, 175), 0);
}

TEST_F(Panel, ARaisedButtonHasItsFaceFrameBevelAndCentredLabel) {
    PanelAdd(panel, 1, "HOLD", 8, 165, 52, 20, 0);
    PanelDraw(panel, s);
    // The frame covers columns 8 to 60 and rows 165 to 185; the face stops
    // one short of its right and bottom sides.
    for (int x = 8; x <= 60; ++x) {
        EXPECT_EQ(At(x, 165), 0) << x;
        EXPECT_EQ(At(x, 185), 0) << x;
    }
    for (int y = 165; y <= 185; ++y) {
        EXPECT_EQ(At(8, y), 0) << y;
        EXPECT_EQ(At(60, y), 0) << y;
    }
    EXPECT_EQ(At(61, 175), Ground);
    EXPECT_EQ(At(30, 186), Ground);
    // Highlight inside the top and left, two-step shadow inside the bottom and right.
    EXPECT_EQ(At(9, 166), Grey(255));
    EXPECT_EQ(At(58, 166), Grey(255));
    EXPECT_EQ(At(9, 183), Grey(255));
    EXPECT_EQ(At(9, 184), Grey(64));
    EXPECT_EQ(At(59, 184), Grey(64));
    EXPECT_EQ(At(59, 166), Grey(64));
    EXPECT_EQ(At(10, 183), Grey(128));
    EXPECT_EQ(At(58, 183), Grey(128));
    EXPECT_EQ(At(58, 167), Grey(128));
    EXPECT_EQ(At(57, 182), Grey(192));
    // "HOLD" is 32 pixels: it starts at left + 10, top + 6; H's first column is lit.
    EXPECT_EQ(At(18, 171), 0);
    EXPECT_EQ(At(17, 171), Grey(192));
    EXPECT_EQ(At(18 + 31, 171), Grey(192));  // D's last row ends one short of its cell
    EXPECT_EQ(At(18 + 24, 171 + 6), 0);
}

TEST_F(Panel, FlagsChangeWhatIsDrawn) {
    PanelAdd(panel, 1, "HOLD", 8, 165, 52, 20, PB_FLAT);
    PanelAdd(panel, 2, "HOLD", 8, 200, 52, 20, PB_NOFACE);
    PanelAdd(panel, 3, "HOLD", 8, 240, 52, 20, PB_HIDDEN);
    PanelAdd(panel, 4, "HOLD", 80, 165, 52, 20, PB_DISABLED);
    PanelDraw(panel, s);
    EXPECT_EQ(At(9, 166), Grey(192));  // flat: no highlight
    EXPECT_EQ(At(9, 184), Grey(192));
    EXPECT_EQ(At(8, 165), 0);
    EXPECT_EQ(At(8, 200), Ground);  // no face, no frame: the label alone
    EXPECT_EQ(At(9, 210), Ground);
    EXPECT_EQ(At(18, 206), 0);
    for (int y = 240; y <= 260; ++y)
        for (int x = 8; x <= 60; ++x) ASSERT_EQ(At(x, y), Ground) << x << "," << y;  // hidden
    EXPECT_EQ(At(90, 171), Grey(128));  // disabled label
    EXPECT_EQ(At(81, 166), Grey(255));  // with its bevel

    // Overlapping buttons: the later one is drawn over the earlier.
    PanelInit(panel);
    PanelAdd(panel, 1, "", 100, 100, 40, 40, PB_FLAT);
    PanelAdd(panel, 2, "", 120, 120, 40, 40, PB_FLAT);
    PanelSetColours(panel, 2, -1, 0x0F0F, -1, -1);
    PanelDraw(panel, s);
    EXPECT_EQ(At(130, 130), 0x0F0F);
}

TEST_F(Panel, TapsPostTheCommandOfAnEnabledVisibleButtonOnly) {
    PanelAdd(panel, 12, "Coin", 164, 200, 70, 20, 0);
    PanelAdd(panel, 13, "GAMBLE", 164, 246, 70, 20, PB_DISABLED);
    PanelAdd(panel, 14, "", 0, 0, 20, 20, PB_HIDDEN);
    PanelAdd(panel, 15, "", 30, 0, 20, 20, PB_FLAT | PB_NOFACE);
    MSG msg;
    auto taken = [&] { return PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); };
    EXPECT_EQ(PanelTap(panel, nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 210)), 1);
    ASSERT_TRUE(taken());
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(msg.wParam, 12u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_EQ(PanelTap(panel, nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 5)), 1);
    ASSERT_TRUE(taken());
    EXPECT_EQ(msg.wParam, 15u);
    for (LPARAM at : {MAKELPARAM(200, 250), MAKELPARAM(5, 5), MAKELPARAM(100, 100), MAKELPARAM(234, 210)})
        EXPECT_EQ(PanelTap(panel, nullptr, WM_LBUTTONDOWN, MK_LBUTTON, at), 0);
    for (UINT other : {WM_LBUTTONUP, WM_MOUSEMOVE})
        EXPECT_EQ(PanelTap(panel, nullptr, other, 0, MAKELPARAM(200, 210)), 0);
    EXPECT_FALSE(taken());
}

// A window that counts what reaches its procedure, for the modal loop.
int Dispatched = 0;
LRESULT CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) ++Dispatched;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct ModalLoop : Panel {
    HWND hwnd = nullptr;
    void SetUp() override {
        Panel::SetUp();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.lpszClassName = L"PANELTEST";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, L"PANELTEST", L"panel", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               PlatformModule(), nullptr);
        ASSERT_NE(hwnd, nullptr);
        PanelAdd(panel, 1, "Yes", 20, 250, 90, 20, 0);
        PanelAdd(panel, 2, "No", 130, 250, 90, 20, 0);
        Dispatched = 0;
    }
};

TEST_F(ModalLoop, DeviceKeysAnswerAndOtherKeysAndMissesAreDropped) {
    const GXKeyList keys = GXGetDefaultKeys(GX_NORMALKEYS);
    const struct {
        short key;
        int result;
    } answers[] = {{keys.vkUp, PANEL_KEY_UP},
                   {keys.vkDown, PANEL_KEY_DOWN},
                   {keys.vkLeft, PANEL_KEY_LEFT},
                   {keys.vkRight, PANEL_KEY_RIGHT},
                   {keys.vkStart, PANEL_KEY_START}};
    for (const auto& a : answers) {
        // A, B, C, an ordinary key and a tap beside the buttons go first,
        // and are swallowed; a message for the window is dispatched.
        for (short dropped : {keys.vkA, keys.vkB, keys.vkC, static_cast<short>('Z')}) headless::Key(dropped, 0);
        headless::Tap(120, 100);
        PostMessageW(hwnd, WM_USER, 0, 0);
        headless::Key(a.key, 0);
        EXPECT_EQ(PanelModalLoop(panel), a.result);
    }
    EXPECT_EQ(Dispatched, 5);
    EXPECT_EQ(headless::KeysDefaulted(), 0u);  // none of the keys reached a window
}

TEST_F(ModalLoop, ATapAnswersWithItsButton) {
    headless::Tap(150, 255);
    EXPECT_EQ(PanelModalLoop(panel), 2);
    headless::Tap(20, 250);
    EXPECT_EQ(PanelModalLoop(panel), 1);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));  // the lift waits its turn
}

TEST_F(ModalLoop, QuittingAnswersZeroAndLeavesTheQuitForTheMainLoop) {
    headless::Key(GXGetDefaultKeys(GX_NORMALKEYS).vkA, 0);
    PostQuitMessage(0);
    EXPECT_EQ(PanelModalLoop(panel), 0);
    MSG msg;
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
