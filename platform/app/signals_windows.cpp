// Closing a console program on Windows: Ctrl+C (or Ctrl+Break) in the
// console, the console window closed, the user logging off or the system
// shutting down reach the program as console events; a program with windows
// is told of the session ending by WM_ENDSESSION, which the system sends to
// each window (sent, not posted: SDL's message hook never sees it, so a hook
// on the thread that brought the platform up, which makes the windows, takes
// it). Each is a close request, and the program's exit status says which as
// on Linux: 128 + 2 (SIGINT) for Ctrl+C, 128 + 1 (SIGHUP) for the console
// closed, 128 + 15 (SIGTERM) for the session ending. Once every window has
// answered WM_ENDSESSION the system may end the program before it has
// closed; nothing that lasts waits for the close (the high-score table and
// the settings are written as they change).
//
// The handler runs on a thread of the system's: it notes the event and
// wakes the backend. For the console closed and the session ending the
// system ends the process as soon as the handler returns, so it returns
// only after a few seconds, by which time the game has closed and the
// process has ended by itself.
#include <windows.h>

#include <atomic>

#include "platform/app/signals.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr int SIGNAL_INT = 2, SIGNAL_HUP = 1, SIGNAL_TERM = 15;

std::atomic<int> FirstSignal{0};
std::atomic<bool> Pending{false};
std::atomic<void (*)()> Waker{nullptr};
bool Caught = false;
HHOOK SessionHook = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int signal = 0;
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT: signal = SIGNAL_INT; break;
        case CTRL_CLOSE_EVENT: signal = SIGNAL_HUP; break;
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT: signal = SIGNAL_TERM; break;
        default: return FALSE;
    }
    NoteCloseSignal(signal);
    if (signal != SIGNAL_INT) Sleep(4000);  // the system waits at most 5 s
    return TRUE;
}

// Every message sent to a window of the thread, before its window procedure.
LRESULT CALLBACK OnWindowMessage(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_ENDSESSION && sent->wParam) NoteCloseSignal(SIGNAL_TERM);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void NoteCloseSignal(int signal) {
    int none = 0;
    FirstSignal.compare_exchange_strong(none, signal);
    Pending = true;
    if (void (*wake)() = Waker.load()) wake();
}

void CatchCloseSignals() {
    FirstSignal = 0;
    Pending = false;
    if (!Caught) Caught = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    if (!SessionHook) SessionHook = SetWindowsHookExW(WH_CALLWNDPROC, OnWindowMessage, nullptr, GetCurrentThreadId());
}

void ReleaseCloseSignals() {
    if (Caught) SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    Caught = false;
    if (SessionHook) UnhookWindowsHookEx(SessionHook);
    SessionHook = nullptr;
}

void TakeCloseSignal() {
    if (!Pending.exchange(false)) return;
    PlatformRequestClose();
}

int CloseSignalFd() { return -1; }

void SetCloseSignalWaker(void (*wake)()) { Waker = wake; }

}  // namespace platform

int PlatformCloseSignal() { return platform::FirstSignal; }

const char* PlatformCloseSignalName(int signal) {
    switch (signal) {
        case platform::SIGNAL_INT: return "INT";
        case platform::SIGNAL_TERM: return "TERM";
        case platform::SIGNAL_HUP: return "HUP";
        default: return "?";
    }
}
