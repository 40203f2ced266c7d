// The headless backend: a whole platform without a screen, a sound card or
// real time. The game runs on it exactly as on SDL, only faster and the same
// way every time.
#include "platform/app/signals.h"
#include "platform/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/winapi/core_state.h"
#include "platform/winapi/core.h"
#include "platform/codec/png.h"
#include "platform/codec/wave.h"

namespace {

using platform::NEVER;

struct State {
    uint64_t nowUs = 0;
    uint64_t lastPresentUs = NEVER;
    long xPitch = 2;  // the layout in effect
    long yPitch = 480;
    long nextXPitch = 2;  // the layout the next GXOpenDisplay takes
    long nextYPitch = 480;
    bool openFails = false;
    std::vector<uint8_t> memory;
    size_t base = 0;
    std::vector<uint64_t> presents;
    uint64_t presentCount = 0;
    int drawsOpen = 0;
    std::vector<headless::Sound> sounds;
    uint64_t soundCount = 0;
    size_t logLimit = headless::LOG_TAIL;
    bool voiceOn = false;
    bool voiceLoop = false;
    uint64_t voiceEndUs = 0;
    std::map<std::string, uint64_t> durations;
    std::vector<headless::Box> boxes;
    std::vector<DWORD> shell;
    std::vector<std::string> dialogs;
    const headless::Driver* driver = nullptr;
    void (*presentWatch)(void*) = nullptr;
    void* presentWatchContext = nullptr;
    int stylusX = 0;
    int stylusY = 0;
};

State& S() {
    static State state;
    return state;
}

// Takes up the next layout, with memory for exactly the steps the game
// will take through it.
void LayOutMemory() {
    State& s = S();
    s.xPitch = s.nextXPitch;
    s.yPitch = s.nextYPitch;
    const long xStep = GXPixelStep(s.xPitch), yStep = GXPixelStep(s.yPitch);
    const size_t xSpan = static_cast<size_t>(std::labs(xStep)) * (FRAME_WIDTH - 1);
    const size_t ySpan = static_cast<size_t>(std::labs(yStep)) * (FRAME_HEIGHT - 1);
    s.memory.assign(xSpan + ySpan + 2, 0);
    s.base = (xStep < 0 ? xSpan : 0) + (yStep < 0 ? ySpan : 0);
}

// Appends to a log within the limit: once it holds twice the limit, the
// older half goes.
template <typename T>
void Log(std::vector<T>& log, T entry) {
    const size_t limit = S().logLimit;
    if (!limit) return;
    if (limit != headless::LOG_ALL && log.size() >= 2 * limit) log.erase(log.begin(), log.end() - limit);
    log.push_back(std::move(entry));
}

uint64_t DriverNextDue() {
    const headless::Driver* d = S().driver;
    return d ? d->nextDue(d->context) : NEVER;
}

// Starts afresh, keeping only what a test set up beforehand: the driver and
// the display layout.
void Select(const PlatformOptions& options) {
    State& s = S();
    const headless::Driver* driver = s.driver;
    const long xPitch = s.nextXPitch, yPitch = s.nextYPitch;
    s = State();
    s.driver = driver;
    s.nextXPitch = xPitch;
    s.nextYPitch = yPitch;
    s.nowUs = static_cast<uint64_t>(options.startTick) * 1000;
    LayOutMemory();
}

bool Init(const PlatformOptions&, std::string*) { return true; }

void Shutdown() {}

uint64_t ClockUs() { return S().nowUs; }

void Pump(bool wait, uint64_t untilUs) {
    platform::TakeCloseSignal();
    if (!wait) return;
    State& s = S();
    if (s.driver && s.driver->idle && s.driver->idle(s.driver->context)) return;
    uint64_t target = std::min(untilUs, DriverNextDue());
    if (target == NEVER) {
        // Nothing can ever arrive: no timer runs and no input is scripted.
        std::fprintf(stderr, "vantaro: headless: the game waits for input and none is scheduled\n");
        std::exit(3);
    }
    s.nowUs = target > s.nowUs ? target : s.nowUs + 1000;
}

void Pause(uint32_t maxMs) {
    Pump(false, 0);
    State& s = S();
    uint64_t target = s.nowUs + static_cast<uint64_t>(maxMs) * 1000;
    // Stop where scripted input falls due, so that a polling loop sees it
    // at the moment it was meant for.
    const uint64_t due = DriverNextDue();
    if (due > s.nowUs && due < target) target = due;
    s.nowUs = target > s.nowUs ? target : s.nowUs + 1000;
}

void Look() {
    if (const headless::Driver* d = S().driver) d->look(d->context);
}

void Nothing(HWND) {}
void Shown(HWND, bool) {}

GXDisplayProperties Properties() {
    return {FRAME_WIDTH, FRAME_HEIGHT, S().xPitch, S().yPitch, 16, kfDirect | kfDirect565};
}

bool OpenDisplay() {
    State& s = S();
    if (s.openFails) return false;
    if (s.xPitch != s.nextXPitch || s.yPitch != s.nextYPitch) LayOutMemory();
    return true;
}
void CloseDisplay() {}

uint16_t* BeginDraw(bool displayOpen) {
    State& s = S();
    if (!displayOpen) return nullptr;
    ++s.drawsOpen;
    return reinterpret_cast<uint16_t*>(s.memory.data() + s.base);
}

void ShownFrame(uint16_t* frame) {
    const std::vector<uint16_t> shown = headless::Frame();
    std::copy(shown.begin(), shown.end(), frame);
}

void EndDraw() {
    State& s = S();
    --s.drawsOpen;
    if (s.lastPresentUs != NEVER && s.nowUs < s.lastPresentUs + platform::FRAME_US)
        s.nowUs = s.lastPresentUs + platform::FRAME_US;
    s.lastPresentUs = s.nowUs;
    ++s.presentCount;
    Log(s.presents, s.nowUs);
    if (s.presentWatch) s.presentWatch(s.presentWatchContext);
}

bool VoicePlaying() {
    const State& s = S();
    return s.voiceOn && (s.voiceLoop || s.nowUs < s.voiceEndUs);
}

void VoiceStop() { S().voiceOn = false; }

bool VoiceStart(const char* path, bool loop) {
    State& s = S();
    auto known = s.durations.find(path);
    if (known == s.durations.end()) {
        platform::WaveInfo info;
        known = s.durations.emplace(path, platform::ReadWaveInfo(path, &info) ? info.DurationUs() : NEVER).first;
    }
    if (known->second == NEVER) return false;
    s.voiceOn = true;
    s.voiceLoop = loop;
    s.voiceEndUs = s.nowUs + known->second;
    return true;
}

void SoundCall(const char* path, DWORD flags, const char* outcome) {
    ++S().soundCount;
    if (!S().logLimit) return;
    std::string file = path;
    const size_t slash = file.find_last_of("/\\");
    if (slash != std::string::npos) file.erase(0, slash + 1);
    Log(S().sounds, headless::Sound{S().nowUs, file, flags, outcome});
}

int MessageBox(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "vantaro: %s: %s\n", caption.c_str(), text.c_str());
    S().boxes.push_back({text, caption});
    return IDOK;
}

// The box stays up until the player presses a key or puts the stylus down,
// or the program is asked to close; with no scripted input to come it
// closes at once, as nobody could ever close it.
void Dialog(const std::string& title, const std::string&) {
    State& s = S();
    s.dialogs.push_back(title);
    for (;;) {
        Pump(false, 0);
        Look();
        if (platform::TakeModalAnswer()) return;
        const uint64_t due = DriverNextDue();
        if (due == NEVER) return;
        s.nowUs = due > s.nowUs ? due : s.nowUs + 1000;
    }
}

void ShellCall(DWORD flags) { S().shell.push_back(flags); }

void SoundChanged(bool) {}  // kept in the platform's state alone
void SettingsKept() {}
void TypingText(bool) {}

}  // namespace

namespace platform {
const Backend HeadlessBackend = {
    .name = "headless",
    .select = Select,
    .init = Init,
    .shutdown = Shutdown,
    .nowUs = ClockUs,
    .pump = Pump,
    .pause = Pause,
    .look = Look,
    .windowShown = Shown,
    .windowDestroyed = Nothing,
    .raise = Nothing,
    .displayProperties = Properties,
    .openDisplay = OpenDisplay,
    .closeDisplay = CloseDisplay,
    .beginDraw = BeginDraw,
    .endDraw = EndDraw,
    .shownFrame = ShownFrame,
    .voicePlaying = VoicePlaying,
    .voiceStop = VoiceStop,
    .voiceStart = VoiceStart,
    .soundCall = SoundCall,
    .soundChanged = SoundChanged,
    .settingsKept = SettingsKept,
    .typingText = TypingText,
    .messageBox = MessageBox,
    .dialog = Dialog,
    .shellCall = ShellCall,
};
}  // namespace platform

namespace headless {

void SetDriver(const Driver* driver) { S().driver = driver; }

void StylusDown(int x, int y) {
    S().stylusX = x;
    S().stylusY = y;
    platform::SetStylus(true);
    platform::PostInput(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)), 0);
}

void StylusUp() {
    platform::SetStylus(false);
    platform::PostInput(WM_LBUTTONUP, 0,
                        MAKELPARAM(static_cast<WORD>(S().stylusX), static_cast<WORD>(S().stylusY)), 0);
}

void Tap(int x, int y) {
    StylusDown(x, y);
    StylusUp();
}

void Key(int virtualKey, DWORD modifiers) {
    platform::PostInput(WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1, modifiers);
    platform::PostInput(WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u), modifiers);
}

void SetActive(bool active) { platform::SetActive(active, false); }

uint64_t NowUs() { return S().nowUs; }
void Advance(uint32_t ms) { S().nowUs += static_cast<uint64_t>(ms) * 1000; }

void SetPitches(long xPitch, long yPitch) {
    S().nextXPitch = xPitch;
    S().nextYPitch = yPitch;
}

void SetOpenDisplayFails(bool fails) { S().openFails = fails; }

void SetPresentWatcher(void (*watch)(void* context), void* context) {
    S().presentWatch = watch;
    S().presentWatchContext = context;
}

void HideResource(const wchar_t* name, bool hidden) { platform::HideResource(name, hidden); }

const std::vector<uint64_t>& Presents() { return S().presents; }
uint64_t PresentCount() { return S().presentCount; }
void SetLogLimit(size_t entries) { S().logLimit = entries; }
size_t LogLimit() { return S().logLimit; }
int DrawsOpen() { return S().drawsOpen; }

std::vector<uint16_t> Frame() {
    const State& s = S();
    std::vector<uint16_t> frame(static_cast<size_t>(FRAME_WIDTH) * FRAME_HEIGHT);
    const long xStep = GXPixelStep(s.xPitch), yStep = GXPixelStep(s.yPitch);
    for (int y = 0; y < FRAME_HEIGHT; ++y)
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            const uint8_t* p = s.memory.data() + s.base + x * xStep + y * yStep;
            frame[static_cast<size_t>(y) * FRAME_WIDTH + x] = static_cast<uint16_t>(p[0] | (p[1] << 8));
        }
    return frame;
}

bool WriteFramePng(const char* path, std::string* error) {
    const std::vector<uint16_t> frame = Frame();
    return platform::WritePng565(path, frame.data(), FRAME_WIDTH, FRAME_HEIGHT, error);
}

const std::vector<uint8_t>& FrameMemory() { return S().memory; }
size_t FrameBaseOffset() { return S().base; }

const std::vector<Sound>& Sounds() { return S().sounds; }
uint64_t SoundCount() { return S().soundCount; }
bool SoundPlaying() { return VoicePlaying(); }
const std::vector<Box>& MessageBoxes() { return S().boxes; }
const std::vector<DWORD>& ShellCalls() { return S().shell; }
const std::vector<std::string>& Dialogs() { return S().dialogs; }
uint64_t KeysDefaulted() { return platform::Core().keysDefaulted; }

}  // namespace headless
