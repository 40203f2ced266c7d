// The state shared by the window and queue halves of the platform core (and
// read by the backends and the settings for the sound's switch and volume).
// Not for the game.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi/core.h"
#include "platform/app/settings.h"

struct PlatformWindow {
    std::wstring className;
    std::wstring title;
    WNDPROC proc = nullptr;
    std::vector<uint8_t> extra;
    HICON icon = nullptr;
    bool visible = false;
    bool invalid = false;
    bool alive = true;
    bool remote = false;  // a window of another running copy
    bool dialog = false;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    HWND owner = nullptr;
};

namespace platform {

struct Timer {
    HWND hwnd;
    UINT id;
    uint64_t periodUs;
    uint64_t dueUs;
};

// A message sent (not posted) by the system: it reaches the window procedure
// at the next look at the queue.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct CoreState {
    std::vector<std::unique_ptr<PlatformWindow>> windows;  // kept after destruction: handles stay unique
    std::vector<std::wstring> classes;
    std::vector<WNDCLASSW> classInfo;
    std::deque<MSG> posted;
    std::deque<SentMessage> sent;
    std::vector<Timer> timers;
    bool quit = false;
    int quitCode = 0;
    bool closePending = false;
    HWND focus = nullptr;
    HWND foreground = nullptr;
    bool active = false;
    bool stylusDown = false;
    DWORD lastModifiers = 0;
    uint64_t keysDefaulted = 0;  // WM_KEYDOWN messages left to DefWindowProcW
    bool muted = false;
    int volume = VOLUME_STEPS;
    bool typingText = false;
    bool muteKeyTaken = false;  // the M that switched the sound: its release is dropped too
    bool displayOpen = false;
    bool drawing = false;
    bool waiting = false;  // GetMessageW found nothing and sleeps for the next message
};

CoreState& Core();
bool IsLive(HWND hwnd);
const WNDCLASSW* FindClass(const std::wstring& name);

}  // namespace platform
