// The window system as the game relies on it: creation, message order,
// timers, quitting, close requests, activation, painting, accelerators.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/system.h"
#include "resources/resources.h"
#include "tests/support.h"

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
};
std::vector<Seen> Log;
void* CreateParam = nullptr;
LRESULT CreateResult = 0;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Log.push_back({message, wParam});
    if (message == WM_CREATE) {
        CreateParam = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        return CreateResult;
    }
    if (message == WM_DESTROY) PostQuitMessage(7);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Queue : ::testing::Test {
    HWND hwnd = nullptr;
    void SetUp() override {
        StartHeadless();
        Log.clear();
        CreateResult = 0;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.cbWndExtra = sizeof(void*);
        wc.lpszClassName = L"TEST";
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    int param = 0;
    HWND Create() {
        hwnd = CreateWindowExW(0, L"TEST", L"Test", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, &param);
        return hwnd;
    }
    // Takes messages until the queue is empty, dispatching none.
    void Discard() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    std::vector<UINT> Messages() const {
        std::vector<UINT> m;
        for (const Seen& s : Log) m.push_back(s.message);
        return m;
    }
};

// Creation sends WM_CREATE with its parameter (-1 fails it), then shows
// and activates; the extra bytes hold a pointer; a destroyed window takes
// nothing more.
TEST_F(Queue, WindowsAreCreatedFoundAndDestroyed) {
    CreateResult = -1;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(FindWindowW(L"TEST", L"Test"), nullptr);
    CreateResult = 0;
    Log.clear();
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(CreateParam, &param);
    ASSERT_GE(Log.size(), 3u);
    EXPECT_EQ(Messages()[0], WM_CREATE);
    EXPECT_EQ(Messages()[1], WM_ACTIVATE);
    EXPECT_EQ(LOWORD(Log[1].wParam), WA_ACTIVE);
    EXPECT_EQ(Messages()[2], WM_SETFOCUS);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    EXPECT_EQ(FindWindowW(L"TEST", L"Test"), hwnd);
    EXPECT_EQ(FindWindowW(L"TEST", L"Other"), nullptr);
    int value;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(&value));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), reinterpret_cast<LONG_PTR>(&value));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 4), 0);  // would run past the extra bytes
    DestroyWindow(hwnd);
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
}

TEST_F(Queue, PostedBeforeQuitBeforePaintBeforeTimer) {
    Create();
    SetTimer(hwnd, 1, 500, nullptr);
    headless::Advance(600);  // the timer is due
    PostQuitMessage(3);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    MSG msg;
    for (auto [message, wParam] : {std::pair<UINT, WPARAM>{WM_USER + 1, 0}, {WM_USER + 2, 0}, {WM_QUIT, 3}, {WM_PAINT, 0},
                                   {WM_TIMER, 1}}) {
        EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0) != 0, message != WM_QUIT);
        EXPECT_EQ(msg.message, message);
        EXPECT_EQ(msg.wParam, wParam);
        DispatchMessageW(&msg);  // the paint validates
    }
}

// A paint comes once after showing, and taking it validates.
TEST_F(Queue, PaintComesOnceAndWaitingJumpsTheClockToTheNextTimer) {
    Create();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    const DWORD start = GetTickCount();
    SetTimer(hwnd, 1, 500, nullptr);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        EXPECT_EQ(msg.message, WM_TIMER);
        EXPECT_EQ(GetTickCount() - start, 500u * i);
    }
    SetTimer(hwnd, 1, 500, nullptr);  // restarts it
    headless::Advance(300);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    KillTimer(hwnd, 1);
    headless::Advance(1000);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    InvalidateRect(hwnd, nullptr, FALSE);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
}

// A close request made before the window exists waits for it, survives a
// discard (as the end of a spin does one), and its default processing
// destroys the window.
TEST_F(Queue, CloseRequestSurvivesADiscardAndClosesTheWindow) {
    PlatformRequestClose();
    Create();
    Discard();
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
    DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Messages().back(), WM_DESTROY);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
    Create();
    PlatformRequestClose();
    Discard();
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
}

TEST_F(Queue, ActivationChangesReachTheWindowEvenThroughADiscard) {
    Create();
    Log.clear();
    headless::SetActive(false);
    Discard();
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_ACTIVATE, WM_KILLFOCUS}));
    EXPECT_EQ(LOWORD(Log[0].wParam), WA_INACTIVE);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    headless::SetActive(true);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ASSERT_GE(Log.size(), 3u);
    EXPECT_EQ(Log[2].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(Log[2].wParam), WA_ACTIVE);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
}

// Input comes in order with its position and the stylus state; a key
// translated posts its character next; control keys of the accelerator
// table become commands, plain ones stay keys.
TEST_F(Queue, InputGoesInOrderAndTranslatesToCharactersAndCommands) {
    Create();
    Discard();
    headless::StylusDown(10, 20);
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0x8000);
    headless::StylusUp();
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
    headless::Key(VK_LEFT, 0);
    headless::Tap(239, 319);
    MSG msg;
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_KEYUP, WM_LBUTTONDOWN}) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        EXPECT_EQ(msg.message, m);
    }
    EXPECT_EQ(LOWORD(msg.lParam), 239);
    EXPECT_EQ(HIWORD(msg.lParam), 319);
    Discard();
    headless::Key('H', 0);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('h'));
    Discard();

    HACCEL table = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    headless::Key('Q', MK_CONTROL);
    headless::Key('Q', 0);
    headless::Key('A', MK_CONTROL);
    std::vector<std::pair<UINT, WPARAM>> got;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        Log.clear();
        if (TranslateAcceleratorW(msg.hwnd, table, &msg)) got.push_back({Log.at(0).message, Log.at(0).wParam});
        else if (msg.message == WM_KEYDOWN) got.push_back({WM_KEYDOWN, msg.wParam});
    }
    EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{
                       {WM_COMMAND, MAKEWPARAM(1, 1)}, {WM_KEYDOWN, 'Q'}, {WM_COMMAND, MAKEWPARAM(40003, 1)}}));
}

// The title and class names come from the string table, cut to fit.
TEST_F(Queue, StringsComeFromTheResources) {
    WCHAR buffer[100];
    EXPECT_EQ(LoadStringW(nullptr, IDS_TITLE, buffer, 100), 7);
    EXPECT_EQ(std::wstring(buffer), L"Vantaro");
    EXPECT_EQ(LoadStringW(nullptr, IDS_CLASS, buffer, 4), 3);
    EXPECT_EQ(std::wstring(buffer), L"FIR");
    EXPECT_EQ(LoadStringW(nullptr, 999, buffer, 100), 0);
}

}  // namespace
