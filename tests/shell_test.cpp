// The main window's procedure on the headless platform: what it presents
// and when, activation and the display, the frame timer, commands, closing.
#include <gtest/gtest.h>

#include <csignal>

#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "platform/gx.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/program.h"
#include "shell/window.h"
#include "shell/winmain.h"
#include "tests/support.h"

namespace {

struct MainWindow : ::testing::Test {
    Machine* machine = &TheMachine;
    HWND hwnd = nullptr;

    void SetUp() override {
        StartHeadless();
        InitGraphics();
        AppReady = 0;
        GapiKeys = GXGetDefaultKeys(GX_NORMALKEYS);
        machine->screen.Free();
        Paint(MachineImage, 240, 320, [](int x, int y) { return x ^ (y << 5); });
        ASSERT_NE(RegisterMainClass(PlatformModule(), L"FIRSTGX"), 0);
        hwnd = CreateWindowExW(0, L"FIRSTGX", L"Vantaro", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               PlatformModule(), machine);
        ASSERT_NE(hwnd, nullptr);
        AppReady = 1;
    }
    void TearDown() override {
        MachineImage.Free();
        AppReady = 0;
    }
    // Handles messages as the main loop does for ms of virtual time.
    void RunFor(uint32_t ms) {
        const uint64_t end = headless::NowUs() + ms * 1000ull;
        MSG msg;
        while (headless::NowUs() < end) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                headless::Advance(1);
            }
        }
    }
    std::vector<uint16_t> Picture() const {
        return std::vector<uint16_t>(machine->screen.pixels, machine->screen.pixels + 240 * 320);
    }
};

TEST_F(MainWindow, CreationDrawsTheMachineAndTheFirstPaintShowsIt) {
    EXPECT_EQ(machine->window, hwnd);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), reinterpret_cast<LONG_PTR>(machine));
    ASSERT_NE(machine->screen.pixels, nullptr);
    EXPECT_EQ(machine->screen.pixels[0], MachineImage.pixels[0]);  // the whole picture is in the golden ones
    RunFor(10);
    EXPECT_EQ(headless::Frame(), Picture());
    // The task bar and friends were hidden as the display opened.
    EXPECT_EQ(headless::ShellCalls().front(), SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON);
}

// In front the frame timer presents twice a second. Losing the focus shows
// the task bar and friends and suspends: nothing reaches the display and
// the timer is off. Regaining it shows the back buffer as it stands. Before
// start-up has finished, activation changes are ignored.
TEST_F(MainWindow, LosingTheFocusSuspendsAndRegainingItShowsTheUnchangedFrame) {
    RunFor(10);
    size_t presents = headless::Presents().size();
    RunFor(2000);
    EXPECT_EQ(headless::Presents().size() - presents, 4u);
    const size_t shell = headless::ShellCalls().size();
    headless::SetActive(false);
    RunFor(10);
    EXPECT_EQ(std::vector<DWORD>(headless::ShellCalls().begin() + shell, headless::ShellCalls().end()),
              (std::vector<DWORD>{SHFS_SHOWTASKBAR, SHFS_SHOWSIPBUTTON, SHFS_SHOWSTARTICON}));
    presents = headless::Presents().size();
    machine->screen.Fill(0x1234);
    RunFor(2000);
    PostMessageW(hwnd, WM_PRESENT, 0, 0);
    RunFor(10);
    EXPECT_EQ(headless::Presents().size(), presents);

    headless::SetActive(true);
    RunFor(10);
    EXPECT_EQ(headless::ShellCalls().back(), SHFS_HIDESTARTICON);
    EXPECT_EQ(headless::Frame(), Picture());
    RunFor(1000);
    EXPECT_EQ(headless::Presents().size(), presents + 4);  // activation, focus, then the timer twice

    AppReady = 0;
    const size_t calls = headless::ShellCalls().size();
    headless::SetActive(false);
    RunFor(10);
    EXPECT_EQ(headless::ShellCalls().size(), calls);
}

// Erasing the background presents and says it is done; unknown commands
// and the arrow keys do nothing, other keys go to the default processing.
TEST_F(MainWindow, EraseBackgroundPresentsAndUnknownCommandsAndArrowKeysDoNothing) {
    RunFor(10);
    const size_t presents = headless::Presents().size();
    EXPECT_EQ(SendMessageW(hwnd, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(headless::Presents().size(), presents + 1);
    const std::vector<uint16_t> before = Picture();
    for (WPARAM command : {0, 5, 9, 14, 16, 40002, 40004, 65535}) EXPECT_EQ(SendMessageW(hwnd, WM_COMMAND, command, 0), 0);
    const uint64_t defaulted = headless::KeysDefaulted();
    for (int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, key, 0), 0);
    EXPECT_EQ(headless::KeysDefaulted(), defaulted);
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, 'Z', 0), 0);
    EXPECT_EQ(headless::KeysDefaulted(), defaulted + 1);
    EXPECT_EQ(Picture(), before);
    EXPECT_TRUE(headless::Dialogs().empty());
}

TEST_F(MainWindow, CloseRequestDuringABusyDelayIsHandledAfterwards) {
    RunFor(10);
    std::raise(SIGTERM);  // arrives while the game is in the middle of a delay
    Delay(1000);
    FadeOut(machine->screen, 0, 50);
    DiscardPendingMessages();  // as the end of a spin does
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(msg.wParam, 0u);
    Present(machine->screen);  // the display is closed now
    EXPECT_EQ(headless::DrawsOpen(), 0);
}

TEST(StartUp, DiscardTakesEverythingWaitingButTheQuit) {
    StartHeadless();
    PostMessageW(nullptr, WM_USER, 0, 0);
    headless::Tap(10, 10);
    EXPECT_EQ(DiscardPendingMessages(), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    PostMessageW(nullptr, WM_USER, 0, 0);
    PostQuitMessage(3);
    EXPECT_EQ(DiscardPendingMessages(), 0);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

// Start-up as the program runs it, in this process: the pictures come from
// beside the test program, the high-score table from a fresh folder.
struct StartUpRun : ::testing::Test {
    std::string data = MakeTempFolder();
    void SetUp() override {
        setenv("VANTARO_DATA_DIR", data.c_str(), 1);
        StartHeadless();
        InitGraphics();
        AppReady = 0;
        TheMachine.screen.Free();
        for (Surface* s : {&LcdDigitFont, &SymbolImage, &MachineImage}) s->Free();
    }
    void TearDown() override {
        headless::HideResource(L"LCD", false);
        headless::SetOpenDisplayFails(false);
        setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
        AppReady = 0;
    }
    void Dispatch() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
};

TEST_F(StartUpRun, MissingDigitPictureIsALoadErrorBeforeTheOtherPictures) {
    headless::HideResource(L"lcd", true);
    EXPECT_EQ(InitInstance(PlatformModule(), 0), 0);
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].text, "lcd.bmp");
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "Load Error");
    EXPECT_EQ(SymbolImage.pixels, nullptr);
    EXPECT_EQ(FindWindowW(L"FIRSTGX", L"Vantaro"), nullptr);
    EXPECT_TRUE(FileExists(data + "/vantarohs.dat"));  // made before
}

TEST_F(StartUpRun, DisplayThatWillNotOpenIsSaidAndTheGameGoesOn) {
    headless::SetOpenDisplayFails(true);
    ASSERT_EQ(InitInstance(PlatformModule(), 0), 1);
    AppReady = 1;
    ASSERT_EQ(headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(headless::MessageBoxes()[0].text, "GXOpenDisplay");
    EXPECT_EQ(headless::MessageBoxes()[0].caption, "Init Failed");
    HWND hwnd = FindWindowW(L"FIRSTGX", L"Vantaro");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(TheMachine.screen.pixels, nullptr);  // drawn all the same
    const int32_t cash = TheMachine.cash;
    headless::Tap(199, 210);  // Coin
    Dispatch();
    EXPECT_EQ(TheMachine.cash, cash - 1);
    EXPECT_TRUE(headless::Presents().empty());  // nothing reached a screen
    // An activation reopens the display, and the machine is seen.
    headless::SetOpenDisplayFails(false);
    headless::SetActive(false);
    headless::SetActive(true);
    Dispatch();
    EXPECT_FALSE(headless::Presents().empty());
    EXPECT_EQ(headless::Frame(), std::vector<uint16_t>(TheMachine.screen.pixels, TheMachine.screen.pixels + 240 * 320));
    DestroyWindow(hwnd);
}

}  // namespace
