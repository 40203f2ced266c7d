// The headless backend's side door, for tests and the script runner: set the
// display's layout, feed input, move the virtual clock, and read back what
// the game presented, played and said.
//
// The virtual clock moves only when the game waits: a present waits for its
// frame slot (1/60 s after the previous one), a busy loop's PlatformPause
// moves it on, and a GetMessageW with nothing to take jumps to the next
// timer or the driver's next scripted moment.
//
// What it deliberately does not do: wait for real time, open anything of the
// system's but the files the game reads and writes, or keep more log than
// it is told to.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/winapi/win.h"

namespace headless {

// Who feeds scripted input. look() runs whenever the game looks at its
// input (GetMessageW, PeekMessageW, GetAsyncKeyState) and carries out what
// has fallen due; nextDue() is the virtual microsecond of the next thing it
// will do, UINT64_MAX when it has nothing more to do. idle(), when given,
// runs when the game really waits for input: GetMessageW found nothing to
// take and the clock is about to move on. It returns true when it gave the
// game input, which is then taken at once, with the clock where it was.
struct Driver {
    void* context;
    void (*look)(void* context);
    uint64_t (*nextDue)(void* context);
    bool (*idle)(void* context) = nullptr;
};
void SetDriver(const Driver* driver);

// Input, as the player would give it; positions in the 240 x 320 frame.
void StylusDown(int x, int y);
void StylusUp();
void Tap(int x, int y);
void Key(int virtualKey, DWORD modifiers);  // key down and up; modifiers MK_CONTROL, MK_SHIFT
void SetActive(bool active);                // the window gains or loses the focus

// The virtual clock.
uint64_t NowUs();
void Advance(uint32_t ms);

// The display's frame memory layout, in bytes per pixel step and per row
// (either may be negative, as for a frame buffer stored landscape; an odd one
// steps as GXPixelStep says). Takes effect at the next GXOpenDisplay, or at
// the next fresh start of the platform; 2 and 480 by default.
void SetPitches(long xPitch, long yPitch);
void SetOpenDisplayFails(bool fails);

// Called at every GXEndDraw that presented a frame, after it (null: none).
void SetPresentWatcher(void (*watch)(void* context), void* context);

// A named resource of the program becomes unavailable (true) or available
// again (false), as if it had not been built in.
void HideResource(const wchar_t* name, bool hidden);

// The virtual time of GXEndDraw calls, in order: the latest ones, as many
// as the log limit keeps (below). A present while the display is closed gets
// no frame memory, and so makes no entry.
const std::vector<uint64_t>& Presents();
// Every present counted, whether or not the log keeps it.
uint64_t PresentCount();
// How much of the present and sound logs (Presents(), Sounds()) is kept:
// at least the last `entries` of each, never more than twice that, so that
// memory stays flat however long a run lasts; LOG_ALL keeps everything
// (tests that read the logs from the start), 0 nothing (a simulation). The
// counts go on either way. LOG_TAIL at every fresh start.
constexpr size_t LOG_ALL = SIZE_MAX;
constexpr size_t LOG_TAIL = 1024;
void SetLogLimit(size_t entries);
size_t LogLimit();
// GXBeginDraw calls that handed out frame memory and are still waiting for
// their GXEndDraw: 0 whenever the game is not drawing.
int DrawsOpen();
// What the display shows now, read back through the pitches: 240 x 320 RGB565.
std::vector<uint16_t> Frame();
bool WriteFramePng(const char* path, std::string* error);
// Raw frame memory and its base offset, for tests of the memory layout.
const std::vector<uint8_t>& FrameMemory();
size_t FrameBaseOffset();

struct Sound {
    uint64_t us;
    std::string file;  // the file name without its folder, empty for a stop
    DWORD flags;
    std::string outcome;  // "play", "loop", "stop", "skip", "missing", "muted"
};
const std::vector<Sound>& Sounds();
uint64_t SoundCount();  // every sound call, whether or not the log keeps it
bool SoundPlaying();

struct Box {
    std::string text;
    std::string caption;
};
const std::vector<Box>& MessageBoxes();
const std::vector<DWORD>& ShellCalls();  // SHFullScreen flags, in order
const std::vector<std::string>& Dialogs();  // titles of the modal dialogs shown
// Key presses a window procedure left to DefWindowProcW instead of consuming.
uint64_t KeysDefaulted();

}  // namespace headless
