// The thread's message queue, timers, key state and the close request.
//
// Order of delivery, as the game expects it: first the messages the system
// sends (activation, focus), straight to their window procedure; then posted
// messages and input in arrival order; then WM_QUIT once nothing is posted;
// then WM_PAINT for an invalid window; then WM_TIMER for a timer that is due.
#include <algorithm>

#include "platform/app/signals.h"
#include "platform/winapi/core_state.h"
#include "platform/app/instance.h"
#include "platform/winapi/kernel.h"

namespace platform {

uint64_t NowUs() { return Current().nowUs(); }

static DWORD TickOf(uint64_t us) { return static_cast<DWORD>(us / 1000); }

static void DeliverSent() {
    CoreState& c = Core();
    while (!c.sent.empty()) {
        const SentMessage m = c.sent.front();
        c.sent.pop_front();
        if (IsLive(m.hwnd)) m.hwnd->proc(m.hwnd, m.message, m.wParam, m.lParam);
    }
}

// The sound keys are the platform's own: they work during spins and fades,
// when the game reads no input. M mutes (a held key switches once; while the
// player types text only Ctrl+M does); - and = (+) step the volume, a held
// key stepping again with each repeat. Their releases are dropped too.
static bool TakeSoundKey(CoreState& c, UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers) {
    if (message != WM_KEYDOWN && message != WM_KEYUP) return false;
    const bool repeat = (static_cast<uintptr_t>(lParam) & 0x40000000u) != 0;
    if (wParam == VK_OEM_MINUS || wParam == VK_SUBTRACT || wParam == VK_OEM_PLUS || wParam == VK_ADD) {
        if (message == WM_KEYDOWN) PlatformChangeVolume(wParam == VK_OEM_MINUS || wParam == VK_SUBTRACT ? -1 : 1);
        return true;
    }
    if (wParam != 'M') return false;
    if (message == WM_KEYUP && c.muteKeyTaken) {
        c.muteKeyTaken = false;
        return true;
    }
    if (message != WM_KEYDOWN || (c.typingText && !(modifiers & MK_CONTROL))) return false;
    c.muteKeyTaken = true;
    if (!repeat) PlatformToggleMute();
    return true;
}

void PostInput(UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers) {
    CoreState& c = Core();
    if (TakeSoundKey(c, message, wParam, lParam, modifiers)) return;
    HWND target = IsLive(c.focus) ? c.focus : MainWindow();
    if (!target) return;
    MSG msg = {target, message, wParam, lParam, GetTickCount(), {0, 0}, modifiers};
    if (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP) {
        msg.pt = {static_cast<LONG>(LOWORD(static_cast<uintptr_t>(lParam))),
                  static_cast<LONG>(HIWORD(static_cast<uintptr_t>(lParam)))};
        if (message != WM_MOUSEMOVE)
            PlatformTrace("stylus %s %ld %ld", message == WM_LBUTTONDOWN ? "down" : "up", static_cast<long>(msg.pt.x),
                          static_cast<long>(msg.pt.y));
    } else if (message == WM_KEYDOWN) {
        PlatformTrace("key 0x%02x%s", static_cast<unsigned>(wParam), (modifiers & MK_CONTROL) ? " ctrl" : "");
    }
    c.posted.push_back(msg);
}

static bool IsInput(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
           (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP);
}

bool TakeModalAnswer() {
    CoreState& c = Core();
    UINT release = 0;  // set once the press is found: the release that goes with it
    for (auto m = c.posted.begin(); m != c.posted.end();) {
        const UINT message = m->message;
        if (!IsInput(message) || (release && message != release && message != WM_CHAR)) {
            ++m;
            continue;
        }
        m = c.posted.erase(m);
        if (release && message == release) return true;
        if (!release && message == WM_KEYDOWN) release = WM_KEYUP;
        if (!release && message == WM_LBUTTONDOWN) release = WM_LBUTTONUP;
    }
    return release != 0 || c.closePending;
}

void SetStylus(bool down) { Core().stylusDown = down; }

uint64_t NextTimerDueUs() {
    uint64_t next = NEVER;
    for (const Timer& t : Core().timers) next = std::min(next, t.dueUs);
    return next;
}

// A filter of 0 and 0 takes every message, else those from first to last.
static bool InFilter(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

// The next message by the order above that passes the filter, taken off the
// queue with remove.
static bool NextMessage(MSG* msg, bool remove, UINT first = 0, UINT last = 0) {
    CoreState& c = Core();
    for (auto m = c.posted.begin(); m != c.posted.end(); ++m) {
        if (!InFilter(m->message, first, last)) continue;
        *msg = *m;
        if (remove) c.posted.erase(m);
        return true;
    }
    const DWORD now = GetTickCount();
    if (c.quit && InFilter(WM_QUIT, first, last)) {
        *msg = {nullptr, WM_QUIT, static_cast<WPARAM>(c.quitCode), 0, now, {0, 0}, 0};
        if (remove) c.quit = false;
        return true;
    }
    for (const auto& w : c.windows) {
        if (!w->alive || !w->visible || !w->invalid || !InFilter(WM_PAINT, first, last)) continue;
        *msg = {w.get(), WM_PAINT, 0, 0, now, {0, 0}, 0};
        // Taking the paint message validates the window, so that a loop
        // that removes messages without dispatching them still ends.
        if (remove) w->invalid = false;
        return true;
    }
    if (!InFilter(WM_TIMER, first, last)) return false;
    const uint64_t nowUs = NowUs();
    Timer* due = nullptr;
    for (Timer& t : c.timers)
        if (t.dueUs <= nowUs && (!due || t.dueUs < due->dueUs)) due = &t;
    if (due) {
        *msg = {due->hwnd, WM_TIMER, due->id, 0, now, {0, 0}, 0};
        if (remove) {
            // The next period counts from the last due time, not from now,
            // so the timer does not drift; a long stall is not caught up.
            due->dueUs += due->periodUs;
            if (due->dueUs <= nowUs) due->dueUs = nowUs + due->periodUs;
        }
        return true;
    }
    return false;
}

static void Look() {
    TakeCloseSignal();
    DeliverSent();
    Current().pump(false, 0);
    Current().look();
    DeliverSent();
}

static void NoteTaken(const MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP ||
        (msg.message >= WM_MOUSEMOVE && msg.message <= WM_LBUTTONUP))
        Core().lastModifiers = msg.modifiers;
}

}  // namespace platform

using namespace platform;

BOOL GetMessageW(MSG* msg, HWND, UINT, UINT) {
    CoreState& c = Core();
    for (;;) {
        Look();
        // A close request that was taken off the queue without being
        // handled is made again whenever the game waits for messages, once
        // what was posted before it has been taken (a queue that holds
        // anything may hold the request itself).
        if (c.closePending && c.posted.empty() && MainWindow())
            c.posted.push_back({MainWindow(), WM_CLOSE, 0, 0, GetTickCount(), {0, 0}, 0});
        if (NextMessage(msg, true)) {
            NoteTaken(*msg);
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        c.waiting = true;
        Current().pump(true, NextTimerDueUs());
        c.waiting = false;
    }
}

BOOL PeekMessageW(MSG* msg, HWND, UINT filterMin, UINT filterMax, UINT removeFlags) {
    Look();
    if (!NextMessage(msg, (removeFlags & PM_REMOVE) != 0, filterMin, filterMax)) return FALSE;
    if (removeFlags & PM_REMOVE) NoteTaken(*msg);
    return TRUE;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && hwnd->remote) return InstanceSendPost(hwnd->className, hwnd->title, message, wParam, lParam);
    if (hwnd && !IsLive(hwnd)) return FALSE;
    Core().posted.push_back({hwnd, message, wParam, lParam, GetTickCount(), {0, 0}, 0});
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsLive(hwnd) || !hwnd->proc) return 0;
    return hwnd->proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    Core().quit = true;
    Core().quitCode = exitCode;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN || (msg->modifiers & MK_CONTROL)) return FALSE;
    const int vk = static_cast<int>(msg->wParam);
    WPARAM ch = 0;
    if (vk >= 'A' && vk <= 'Z') ch = (msg->modifiers & MK_SHIFT) ? vk : vk - 'A' + 'a';
    else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE) ch = vk;
    if (!ch) return FALSE;
    // The character comes next, before any later input.
    Core().posted.push_front({msg->hwnd, WM_CHAR, ch, msg->lParam, msg->time, msg->pt, msg->modifiers});
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !IsLive(msg->hwnd)) return 0;
    if (msg->message == WM_CLOSE) Core().closePending = false;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT SetTimer(HWND hwnd, UINT id, UINT periodMs, void*) {
    if (!IsLive(hwnd)) return 0;
    const uint64_t period = static_cast<uint64_t>(std::max<UINT>(periodMs, 1)) * 1000;
    for (Timer& t : Core().timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.periodUs = period;
            t.dueUs = NowUs() + period;
            return id;
        }
    Core().timers.push_back({hwnd, id, period, NowUs() + period});
    return id;
}

BOOL KillTimer(HWND hwnd, UINT id) {
    const size_t removed =
        std::erase_if(Core().timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return removed ? TRUE : FALSE;
}

short GetKeyState(int virtualKey) {
    const DWORD m = Core().lastModifiers;
    if (virtualKey == VK_CONTROL) return (m & MK_CONTROL) ? static_cast<short>(0x8000) : 0;
    if (virtualKey == VK_SHIFT) return (m & MK_SHIFT) ? static_cast<short>(0x8000) : 0;
    return 0;
}

short GetAsyncKeyState(int virtualKey) {
    // Reading the stylus is a look at input (scripted input may land), but
    // unlike a look at the queue it calls no window procedure.
    Current().pump(false, 0);
    Current().look();
    if (virtualKey == VK_LBUTTON) return Core().stylusDown ? static_cast<short>(0x8000) : 0;
    return 0;
}

void PlatformRequestClose() {
    CoreState& c = Core();
    if (c.closePending) return;
    PlatformTrace("close request");
    c.closePending = true;
    if (HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
}

DWORD GetTickCount() { return TickOf(NowUs()); }

void PlatformPause(DWORD maxMs) { Current().pause(maxMs); }

bool PlatformWaitingForInput() { return Core().waiting; }
