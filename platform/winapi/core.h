// What the shared core of the platform (queue, windows, timers, sound rules)
// and the two backends say to each other: a backend is a record of plain
// functions (Backend), and the core offers the backends the services below.
// Not for the game.
#pragma once
#include <cstdint>
#include <string>

#include "platform/winapi/gx.h"
#include "platform/platform.h"
#include "platform/winapi/win.h"

// The program's resources: binary ones (bitmaps, the icon) found by type and
// name, strings and accelerator tables by number, dialogs by number.
struct PlatformResource {
    const WCHAR* type;
    const WCHAR* name;
    const void* data;
    size_t size;
};
struct PlatformString {
    WORD id;
    const WCHAR* text;
};
struct PlatformAccelTable {
    WORD id;
    const ACCEL* entries;
    int count;
};
struct PlatformDialog {
    WORD id;
    const char* title;
    const char* text;
};
struct PlatformIcon {
    const void* png;
    size_t size;
};

namespace platform {

constexpr uint64_t NEVER = UINT64_MAX;
constexpr uint64_t FRAME_US = 16667;  // the 60 Hz frame slot

// A backend is a record of plain functions, chosen once at start-up.
struct Backend {
    const char* name;
    void (*select)(const PlatformOptions& options);  // set the clock up; nothing that can fail
    bool (*init)(const PlatformOptions& options, std::string* error);
    void (*shutdown)();

    // Microseconds on the backend's clock (virtual for headless).
    uint64_t (*nowUs)();
    // Moves pending window-system events into the queue; with wait, first
    // sleeps until one comes or the clock reaches `untilUs`.
    void (*pump)(bool wait, uint64_t untilUs);
    // The short wait of busy loops.
    void (*pause)(uint32_t maxMs);
    // The game is looking at its input (scripted input may fall due).
    void (*look)();

    // Windows.
    void (*windowShown)(HWND hwnd, bool shown);
    void (*windowDestroyed)(HWND hwnd);
    void (*raise)(HWND hwnd);

    // Display.
    GXDisplayProperties (*displayProperties)();
    bool (*openDisplay)();
    void (*closeDisplay)();
    uint16_t* (*beginDraw)(bool displayOpen);  // frame memory base, or null
    void (*endDraw)();  // shows the frame memory, paced to 60 frames a second
    // What the display shows now: the last frame presented, 240 x 320 RGB565.
    void (*shownFrame)(uint16_t* frame);

    // One voice of sound.
    bool (*voicePlaying)();
    void (*voiceStop)();
    bool (*voiceStart)(const char* path, bool loop);  // false: cannot be played
    void (*soundCall)(const char* path, DWORD flags, const char* outcome);  // for the log
    // The player switched the sound on or off (muteSwitched) or changed
    // its volume: the backend applies and shows it.
    void (*soundChanged)(bool muteSwitched);
    // The settings file has been written (a page stores it in the browser).
    void (*settingsKept)();

    // The game asks for typed text (name entry), or no longer: a page
    // offers the device's keyboard meanwhile.
    void (*typingText)(bool typing);

    int (*messageBox)(const std::string& text, const std::string& caption);
    // Shows a modal text dialog until the player closes it.
    void (*dialog)(const std::string& title, const std::string& text);
    void (*shellCall)(DWORD flags);
};

extern const Backend SdlBackend;
extern const Backend HeadlessBackend;
const Backend& Current();

// Core services the backends call.
uint64_t NowUs();
HWND MainWindow();
// Input for the window with the focus (the main window without one).
void PostInput(UINT message, WPARAM wParam, LPARAM lParam, DWORD modifiers);
// Activation and focus changes. With now, the window procedure hears of them
// at once; otherwise at the next look at the queue (never lost to a discard).
void SetActive(bool active, bool now);
void InvalidateMain();
void SetStylus(bool down);
// For a modal box that waits for the player: takes the input queued since it
// opened, up to and including the first key or stylus press and its release.
// True when that press came, or a close was requested.
bool TakeModalAnswer();
// The earliest due time of any timer, NEVER without timers.
uint64_t NextTimerDueUs();
// A message for one of this program's own windows, sent by another copy.
void PostFromOtherCopy(const std::wstring& className, const std::wstring& title, UINT message, WPARAM wParam,
                       LPARAM lParam);
void RaiseFromOtherCopy(const std::wstring& className, const std::wstring& title);
// Forgets every window, message, timer and the display state (tests).
void ResetCore();

// Resources of the program, defined by the resources library.
const PlatformResource* FindBinaryResource(const WCHAR* type, const WCHAR* name);
// Makes a resource of that name unavailable, or available again (tests).
void HideResource(const WCHAR* name, bool hidden);
const PlatformString* FindString(WORD id);
const PlatformAccelTable* FindAccelTable(WORD id);
const PlatformDialog* FindDialog(WORD id);

}  // namespace platform
