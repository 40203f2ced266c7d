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
    LPARAM lParam;
};
std::vector<Seen> Log;
void* CreateParam = nullptr;
LRESULT CreateResult = 0;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Log.push_back({message, wParam, lParam});
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
    HWND Create(DWORD style = WS_VISIBLE) {
        hwnd = CreateWindowExW(0, L"TEST", L"Test", style, 0, 0, 240, 320, nullptr, nullptr, nullptr, &param);
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

TEST_F(Queue, CreationSendsCreateWithItsParameterThenShowsAndActivates) {
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(CreateParam, &param);
    ASSERT_GE(Log.size(), 3u);
    EXPECT_EQ(Log[0].message, WM_CREATE);
    EXPECT_EQ(Log[1].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(Log[1].wParam), WA_ACTIVE);
    EXPECT_EQ(Log[2].message, WM_SETFOCUS);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    EXPECT_EQ(FindWindowW(L"TEST", L"Test"), hwnd);
    EXPECT_EQ(FindWindowW(L"TEST", L"Other"), nullptr);
}

TEST_F(Queue, CreateAnsweringMinusOneFailsCreation) {
    CreateResult = -1;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(FindWindowW(L"TEST", L"Test"), nullptr);
}

TEST_F(Queue, ExtraBytesHoldAPointer) {
    Create();
    int value;
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(&value));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 0), reinterpret_cast<LONG_PTR>(&value));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 4), 0);  // would run past the extra bytes
}

TEST_F(Queue, PostedBeforeQuitBeforePaintBeforeTimer) {
    Create();
    SetTimer(hwnd, 1, 500, nullptr);
    headless::Advance(600);  // the timer is due
    PostQuitMessage(3);
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostMessageW(hwnd, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 1);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 2);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_PAINT);
    DispatchMessageW(&msg);  // validates
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, 1u);
}

TEST_F(Queue, WaitingJumpsTheClockToTheNextTimer) {
    Create();
    Discard();  // the first paint
    const DWORD start = GetTickCount();
    SetTimer(hwnd, 1, 500, nullptr);
    MSG msg;
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
}

TEST_F(Queue, CloseRequestSurvivesADiscard) {
    Create();
    PlatformRequestClose();
    Discard();  // as the end of a spin does
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
    DispatchMessageW(&msg);  // the default processing destroys the window
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Messages().back(), WM_DESTROY);
    EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Queue, CloseRequestBeforeTheWindowExistsIsDeliveredOnceItDoes) {
    PlatformRequestClose();
    Create();
    Discard();
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
}

TEST_F(Queue, ActivationChangesReachTheWindowEvenThroughADiscard) {
    Create();
    Log.clear();
    headless::SetActive(false);
    Discard();
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(Log[0].wParam), WA_INACTIVE);
    EXPECT_EQ(Log[1].message, WM_KILLFOCUS);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    headless::SetActive(true);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_EQ(Log[2].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(Log[2].wParam), WA_ACTIVE);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
}

TEST_F(Queue, PaintComesOnceAfterShowingAndTakingItValidates) {
    Create();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    InvalidateRect(hwnd, nullptr, FALSE);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(Queue, InputGoesInOrderWithPositionsAndStylusState) {
    Create();
    Discard();
    headless::StylusDown(10, 20);
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON) & 0x8000, 0x8000);
    headless::StylusUp();
    EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
    headless::Key(VK_LEFT, 0);
    MSG msg;
    const UINT expected[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_KEYUP};
    for (UINT m : expected) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        EXPECT_EQ(msg.message, m);
    }
    headless::Tap(239, 319);
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(LOWORD(msg.lParam), 239);
    EXPECT_EQ(HIWORD(msg.lParam), 319);
}

TEST_F(Queue, AcceleratorsTurnControlKeysIntoCommands) {
    Create();
    Discard();
    HACCEL table = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    headless::Key('Q', MK_CONTROL);
    headless::Key('Q', 0);
    headless::Key('A', MK_CONTROL);
    std::vector<Seen> commands;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        Log.clear();
        if (TranslateAcceleratorW(msg.hwnd, table, &msg)) commands.push_back(Log.at(0));
        else if (msg.message == WM_KEYDOWN) commands.push_back({WM_KEYDOWN, msg.wParam, 0});
    }
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].message, WM_COMMAND);
    EXPECT_EQ(LOWORD(commands[0].wParam), 1);
    EXPECT_EQ(HIWORD(commands[0].wParam), 1);
    EXPECT_EQ(commands[1].message, WM_KEYDOWN);  // plain Q is a key, not a command
    EXPECT_EQ(commands[2].message, WM_COMMAND);
    EXPECT_EQ(LOWORD(commands[2].wParam), 40003);
}

TEST_F(Queue, TranslateMessagePostsTheCharacterNext) {
    Create();
    Discard();
    headless::Key('H', 0);
    MSG msg;
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_TRUE(TranslateMessage(&msg));
    ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('h'));
}

TEST_F(Queue, PostingToADestroyedWindowFails) {
    Create();
    DestroyWindow(hwnd);
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
}

TEST_F(Queue, StringsAndTheDialogResourceExist) {
    WCHAR buffer[100];
    EXPECT_EQ(LoadStringW(nullptr, IDS_TITLE, buffer, 100), 7);
    EXPECT_EQ(std::wstring(buffer), L"Vantaro");
    EXPECT_EQ(LoadStringW(nullptr, IDS_CLASS, buffer, 4), 3);  // cut to fit
    EXPECT_EQ(std::wstring(buffer), L"FIR");
    EXPECT_EQ(LoadStringW(nullptr, 999, buffer, 100), 0);
}

INT_PTR DoneProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    Log.push_back({message, wParam, 0});
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(dialog, 42);
    return message == WM_INITDIALOG;
}

TEST_F(Queue, ModalDialogRunsUntilItsProcedureEndsIt) {
    Create();
    Log.clear();
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(IDD_ABOUT), hwnd, DoneProc, 0), 42);
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[0].message, WM_INITDIALOG);
    EXPECT_EQ(Log[1].message, WM_COMMAND);
    EXPECT_EQ(headless::Dialogs().back(), "About Vantaro");
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(999), hwnd, DoneProc, 0), -1);
}

}  // namespace
