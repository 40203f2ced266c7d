// The shell and the platform under the game where its own tests cannot see
// them: refused windows and early close requests, the touch buttons' hits and
// modal loop, the main window's presents, focus, commands and closing,
// start-up, and the single-instance socket against hostile and friendly peers.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>
#include <tuple>

#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "platform/winapi/gx.h"
#include "platform/headless/headless.h"
#include "platform/app/instance.h"
#include "platform/app/signals.h"
#include "platform/platform.h"
#include "platform/winapi/kernel.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/window.h"
#include "shell/winmain.h"
#include "tests/support.h"

namespace {

LRESULT CreateResult = 0;

LRESULT TestProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return CreateResult;
    if (message == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window refused by its WM_CREATE is not made. A close request made before
// the window exists waits for it, survives a discard (as the end of a spin
// does one), and its default processing destroys the window.
// A page's ?tick=N: the real clock reads the fixed tick at its first
// reading, however long after the platform was chosen (a slow first start
// of a page), so that the game seeds its random numbers with exactly N; from
// there it runs in real time.
TEST(Clock, AFixedStartingTickIsTheFirstReadingOfTheRealClock) {
    PlatformOptions options;
    options.backend = BackendKind::Sdl;
    options.startTick = 21;
    options.startTickFixed = true;
    PlatformSelect(options);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(GetTickCount(), 21u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const DWORD later = GetTickCount();
    EXPECT_GE(later, 41u);
    EXPECT_LT(later, 1000u);
    PlatformSelect(PlatformOptions());
}

TEST(Queue, CloseRequestSurvivesADiscardAndClosesTheWindow) {
    StartHeadless();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TestProc;
    wc.lpszClassName = L"TEST";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND hwnd = nullptr;
    MSG msg;
    auto create = [&] {
        hwnd = CreateWindowExW(0, L"TEST", L"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    };
    auto discard = [&] { while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue; };
    CreateResult = -1;
    create();
    EXPECT_EQ(hwnd, nullptr);
    CreateResult = 0;
    PlatformRequestClose();
    create();
    discard();
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);  // from WM_DESTROY
    create();
    PlatformRequestClose();
    discard();
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
}

struct Panel : ::testing::Test {
    ButtonPanel panel;
    void SetUp() override {
        StartHeadless();
        InitGraphics();
        PanelInit(panel);
    }
};

// A button covers its rectangle without the right and bottom edges; of two
// that overlap the first added is hit. A full table refuses a button whole.
TEST_F(Panel, TapsPostTheCommandOfTheButtonHitAndAFullTableTakesNoMore) {
    PanelAdd(panel, 12, "Coin", 164, 200, 70, 20, 0);
    PanelAdd(panel, 13, "GAMBLE", 164, 246, 70, 20, PB_DISABLED);
    PanelAdd(panel, 14, "", 200, 210, 50, 50, 0);  // under Coin where they overlap
    MSG msg;
    for (auto [x, y, id] : {std::tuple{164, 200, 12}, {233, 219, 12}, {234, 219, 14}, {200, 250, 0}, {163, 210, 0},
                            {100, 100, 0}}) {
        EXPECT_EQ(PanelTap(panel, nullptr, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)), id != 0) << x << "," << y;
        EXPECT_EQ(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE), id != 0);
        if (id) {
            EXPECT_EQ(msg.message == WM_COMMAND ? msg.wParam : 0u, static_cast<WPARAM>(id)) << x << "," << y;
        }
    }
    EXPECT_EQ(PanelTap(panel, nullptr, WM_LBUTTONUP, 0, MAKELPARAM(200, 210)), 0);

    for (int i = 3; i < PANEL_MAX_BUTTONS; ++i) ASSERT_EQ(PanelAdd(panel, 20 + i, "", 0, 0, 1, 1, 0), 1);
    const ButtonPanel full = panel;
    EXPECT_EQ(PanelAdd(panel, 99, "no room", 0, 0, 1, 1, 0), 0);
    EXPECT_EQ(std::memcmp(&full, &panel, sizeof panel), 0);
}

// A window that counts what reaches its procedure, for the modal loop.
int Dispatched = 0;
LRESULT CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) ++Dispatched;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Other messages are dispatched meanwhile; the lift of the answering tap
// waits its turn; quitting answers 0 and leaves the quit for the main loop.
TEST_F(Panel, TheModalLoopDispatchesOtherMessagesAndLeavesTheQuit) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = L"PANELTEST";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"PANELTEST", L"panel", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                PlatformModule(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    PanelAdd(panel, 1, "Yes", 20, 250, 90, 20, 0);
    PanelAdd(panel, 2, "No", 130, 250, 90, 20, 0);
    Dispatched = 0;
    PostMessageW(hwnd, WM_USER, 0, 0);
    headless::Key('Z', 0);
    headless::Tap(150, 255);
    EXPECT_EQ(PanelModalLoop(panel), 2);
    EXPECT_EQ(Dispatched, 1);
    EXPECT_EQ(headless::KeysDefaulted(), 0u);  // the dropped key reached no window
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
    PostQuitMessage(0);
    EXPECT_EQ(PanelModalLoop(panel), 0);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
}

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

// In front the frame timer presents twice a second. Losing the focus shows
// the task bar and friends and suspends: nothing reaches the display and
// the timer is off. Regaining it shows the back buffer as it stands. Before
// start-up has finished, activation changes are ignored.
TEST_F(MainWindow, LosingTheFocusSuspendsAndRegainingItShowsTheUnchangedFrame) {
    RunFor(10);
    EXPECT_EQ(headless::Frame(), Picture());
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
    const uint64_t defaulted = headless::KeysDefaulted();
    for (WPARAM command : {0, 5, 9, 14, 16, 40002, 40004, 65535}) SendMessageW(hwnd, WM_COMMAND, command, 0);
    for (int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, int('Z')}) SendMessageW(hwnd, WM_KEYDOWN, key, 0);
    EXPECT_EQ(headless::KeysDefaulted(), defaulted + 1);  // Z alone
    EXPECT_EQ(Picture(), before);
    EXPECT_TRUE(headless::Dialogs().empty());
}

TEST_F(MainWindow, CloseRequestDuringABusyDelayIsHandledAfterwards) {
    RunFor(10);
    // Arrives while the game is in the middle of a delay (on Windows, where
    // the system's own thread hears the event, as that thread notes it).
#ifdef _WIN32
    platform::NoteCloseSignal(SIGTERM);
#else
    std::raise(SIGTERM);
#endif
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

#ifndef _WIN32  // POSIX signals
// The platform gives each closing signal back the action it had before it
// came up, a handler of the program's own or none, and leaves one that was
// ignored ignored meanwhile.
TEST(StartUp, ClosingSignalsAreGivenBackAsTheyWereAndAnIgnoredOneStaysIgnored) {
    PlatformShutdown();
    struct sigaction own = {}, ignored = {}, was[2], now;
    own.sa_handler = [](int) {};
    ignored.sa_handler = SIG_IGN;
    sigaction(SIGTERM, &own, &was[0]);
    sigaction(SIGHUP, &ignored, &was[1]);
    StartHeadless();
    std::raise(SIGHUP);
    EXPECT_EQ(PlatformCloseSignal(), 0);
    PlatformShutdown();
    sigaction(SIGTERM, &was[0], &now);
    EXPECT_EQ(now.sa_handler, own.sa_handler);
    sigaction(SIGHUP, &was[1], &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    StartHeadless();
}
#endif

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

#ifndef _WIN32  // Unix sockets, fork and users; Windows' named pipe: windows_test.cpp
using platform::InstanceClaim;
using platform::InstanceRelease;
using platform::InstanceSocketName;

std::mutex HeardLock;
std::vector<std::string> Heard;

void Hear(const std::string& request) {
    std::lock_guard<std::mutex> lock(HeardLock);
    Heard.push_back(request);
}

int Connect(const std::string& abstractName) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, abstractName.data(), abstractName.size());
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + abstractName.size());
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// Sends bytes to the copy holding name from a process of its own (as user
// nobody with asNobody) and returns what came back before the copy hung up.
std::string Ask(const std::string& name, const std::string& bytes, bool asNobody) {
    const std::string address = InstanceSocketName(name);
    int answer[2];
    if (pipe(answer) != 0) return "?";
    const pid_t child = fork();
    if (child == 0) {
        close(answer[0]);
        if (asNobody && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
        const int s = Connect(address);
        if (s < 0) _exit(1);
        timeval timeout = {5, 0};
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buffer[64];
        const ssize_t got = recv(s, buffer, sizeof buffer, 0);
        if (got > 0 && write(answer[1], buffer, static_cast<size_t>(got)) != got) _exit(1);
        _exit(0);
    }
    close(answer[1]);
    std::string got;
    char buffer[64];
    for (ssize_t n; (n = read(answer[0], buffer, sizeof buffer)) > 0;) got.append(buffer, static_cast<size_t>(n));
    close(answer[0]);
    waitpid(child, nullptr, 0);
    return got;
}

TEST(SingleInstance, OnlyTheHandOverOfTheSameUserIsCarriedOutAndNoPeerHoldsUpClosing) {
    const std::string name = MakeTempFolder();
    ASSERT_TRUE(InstanceClaim(name, Hear));
    struct Case {
        const char* what;
        std::string bytes;
        bool asNobody;
        bool carried;
    };
    const Case cases[] = {
        {"a second copy's raise", "raise\tFIRSTGX\tVantaro\n", false, true},
        {"its request to present", "post\t1124\t0\t0\tFIRSTGX\tVantaro\n", false, true},
        {"a command (RANDOM)", "post\t273\t15\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a creation message", "post\t1\t0\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a close", "post\t16\t0\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a present with parameters", "post\t1124\t1\t0\tFIRSTGX\tVantaro\n", false, false},
        {"an endless line", std::string(100000, 'x'), false, false},
        {"another user's raise", "raise\tFIRSTGX\tVantaro\n", true, false},
    };
    for (const Case& c : cases) {
        if (c.asNobody && getuid() != 0) continue;  // only root can play another user
        {
            std::lock_guard<std::mutex> lock(HeardLock);
            Heard.clear();
        }
        const std::string answer = Ask(name, c.bytes, c.asNobody);
        std::lock_guard<std::mutex> lock(HeardLock);
        EXPECT_EQ(answer, c.carried ? "ok\n" : "") << c.what;
        EXPECT_EQ(Heard.size(), c.carried ? 1u : 0u) << c.what;
    }
    // A peer that trickles a byte now and then is dropped after a second,
    // and closing never waits for it.
    const pid_t trickler = fork();
    if (trickler == 0) {
        const int s = Connect(InstanceSocketName(name));
        for (int i = 0; i < 600 && s >= 0; ++i) {
            send(s, "r", 1, MSG_NOSIGNAL);
            usleep(100000);
        }
        _exit(0);
    }
    usleep(300000);
    const auto start = std::chrono::steady_clock::now();
    InstanceRelease();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    kill(trickler, SIGKILL);
    waitpid(trickler, nullptr, 0);
}

// A second copy hands over to a first that answers; a name held by a process
// that never answers (hung, stopped) does not keep a new game from starting.
TEST(SingleInstance, ASecondCopyHandsOverOnlyToAFirstThatAnswers) {
    const std::string name = MakeTempFolder();
    int claimed[2];
    ASSERT_EQ(pipe(claimed), 0);
    const pid_t first = fork();
    if (first == 0) {
        const char yes = InstanceClaim(name, Hear) ? 1 : 0;
        [[maybe_unused]] const ssize_t n = write(claimed[1], &yes, 1);
        pause();
        _exit(0);
    }
    char yes = 0;
    ASSERT_EQ(read(claimed[0], &yes, 1), 1);
    ASSERT_EQ(yes, 1);
    EXPECT_FALSE(InstanceClaim(name, Hear));
    EXPECT_TRUE(platform::InstanceOtherCopyRunning());
    EXPECT_TRUE(platform::InstanceSendRaise(L"FIRSTGX", L"Vantaro"));
    InstanceRelease();

    kill(first, SIGSTOP);  // still holds the name, answers nothing
    int status;
    ASSERT_EQ(waitpid(first, &status, WUNTRACED), first);
    EXPECT_TRUE(InstanceClaim(name, Hear));
    EXPECT_FALSE(platform::InstanceOtherCopyRunning());
    InstanceRelease();
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
}
#endif

}  // namespace
