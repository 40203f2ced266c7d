// The SDL backend: the frame in a real window (on the desktop) or a
// canvas (in a page), mouse, touch, keys and gamepads as the device's stylus
// and buttons, one voice of SDL audio. This file holds the backend's record,
// its start and stop, its clock and the loop that takes SDL's events; the
// other files of sdl/ serve the window, input, gamepads, audio and boxes
// (state.h), and host_desktop.cpp or host_web.cpp what the place it runs in
// does its own way (host.h).
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/app/instance.h"
#include "platform/app/signals.h"
#include "platform/sdl/host.h"
#include "platform/sdl/state.h"
#include "platform/winapi/core_state.h"

namespace platform::sdl {

State& S() {
    static State state;
    return state;
}

uint64_t MonotonicUs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000 + static_cast<uint64_t>(t.tv_nsec) / 1000;
}

// The monotonic clock, as the system counts it, or, when the options fix a
// starting tick, reading that tick at its first reading: the game's objects
// seed their random numbers from it as they are built, however long the
// program took to get there (a page's first run compiles slowly), so that
// a seeded page deals the headless game's games. The first reading is one
// look at the system's clock: two looks a moment apart may fall either side
// of a millisecond where a browser counts whole ones (WebKit, Firefox).
uint64_t ClockOrigin = 0;
uint64_t ClockStartUs = NEVER;  // the fixed starting tick, until the first reading
uint64_t ClockUs() {
    const uint64_t now = MonotonicUs();
    if (ClockStartUs != NEVER) {
        ClockOrigin = now - ClockStartUs;
        ClockStartUs = NEVER;
    }
    return now - ClockOrigin;
}

// The screensaver is held off while the player plays: from any press until
// PLAY_US after the last. A gamepad's presses are no input to the desktop,
// whose screensaver would otherwise start in the middle of a game.
constexpr uint64_t PLAY_US = 5 * 60 * 1000 * 1000ull;

void Played(const SDL_Event& e) {
    State& s = S();
    const bool press = e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_FINGERDOWN ||
                       e.type == SDL_CONTROLLERBUTTONDOWN || e.type == SDL_CONTROLLERAXISMOTION;
    if (!press) return;
    if (!s.audioTried) OpenAudio();
    if (s.playUntilUs == NEVER) SDL_DisableScreenSaver();
    s.playUntilUs = ClockUs() + PLAY_US;
}

void Handle(const SDL_Event& e) {
    Played(e);
    switch (e.type) {
        case SDL_QUIT: PlatformRequestClose(); break;
        case SDL_WINDOWEVENT: OnWindow(e.window); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEMOTION: OnMouse(e); break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: OnKey(e); break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION: OnPad(e); break;
        default:
            if (e.type == S().requestEvent && S().requestEvent) {
                std::unique_ptr<std::string> request(static_cast<std::string*>(e.user.data1));
                platform::InstanceCarryOut(*request);
            }
            break;
    }
}

// What the first frame need not wait for, started once it is on the screen
// (the window then shows the game while they open; on Windows, under Wine
// more than anywhere, each takes tens of milliseconds): the sound device,
// where sound plays from the start, and the gamepads, which come and go
// while the game runs (without them the game is played with mouse and
// keyboard alone). Gamepads already plugged in are reported then.
void StartServices() {
    State& s = S();
    s.servicesStarted = true;
    if (sdlhost::SoundFromStart() && !s.audioTried) OpenAudio();
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) PlatformTrace("no gamepads: %s", SDL_GetError());
}

void Drain() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
    if (S().statusUntilUs != NEVER && ClockUs() >= S().statusUntilUs) ShowStatus("");
    if (S().sizeSettledUs != NEVER && ClockUs() >= S().sizeSettledUs) TakeWindowSize();
    if (S().playUntilUs != NEVER && ClockUs() >= S().playUntilUs) {
        S().playUntilUs = NEVER;
        SDL_EnableScreenSaver();  // idle at the machine: the screensaver may come
    }
}

// Sleeps until an event comes or the clock reaches untilUs, then moves every
// pending event into the queue.
void WaitUntil(uint64_t untilUs) {
    untilUs = std::min({untilUs, S().statusUntilUs, S().sizeSettledUs, S().playUntilUs});  // each on time
    const uint64_t now = ClockUs();
    if (untilUs == NEVER) sdlhost::WaitForEvent(-1);
    else if (untilUs > now) sdlhost::WaitForEvent(static_cast<int>(std::min<uint64_t>((untilUs - now + 999) / 1000, 1000000)));
    Drain();
}

void Pump(bool wait, uint64_t untilUs) {
    platform::TakeCloseSignal();
    if (!S().servicesStarted && S().lastPresentUs != NEVER) StartServices();
    if (wait) WaitUntil(untilUs);
    else Drain();
}

void Pause(uint32_t maxMs) { WaitUntil(ClockUs() + static_cast<uint64_t>(maxMs) * 1000); }

void Look() {}

void OnRequest(const std::string& request) {
    // From the listener thread: hand the request to the window thread.
    SDL_Event e = {};
    e.type = S().requestEvent;
    e.user.data1 = new std::string(request);
    if (SDL_PushEvent(&e) != 1) delete static_cast<std::string*>(e.user.data1);
}

void ShellCall(DWORD) {}

void TypingText(bool typing) { sdlhost::TypingText(typing); }

void Select(const PlatformOptions& options) {
    S().options = options;
    ClockOrigin = 0;
    ClockStartUs = options.startTickFixed ? static_cast<uint64_t>(options.startTick) * 1000 : NEVER;
}

bool Init(const PlatformOptions& options, std::string* error) {
    State& s = S();
    s.options = options;
    // SDL falls back to drivers that draw nowhere ("offscreen", "dummy") when
    // there is no display; a player would get an invisible game, so those
    // count only when asked for by name.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    sdlhost::PrepareVideo();
    std::string problem;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        problem = sdlhost::NoDisplay(SDL_GetError());
    } else {
        const std::string driver = SDL_GetCurrentVideoDriver();
        if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
            problem = sdlhost::NoDisplay(driver.c_str());
            SDL_Quit();
        }
    }
    if (!problem.empty()) {
        if (error)
            *error = "cannot open a display: " + problem +
                     ". Vantaro needs a graphical desktop session; for scripted runs without one use --headless.";
        return false;
    }
    s.gain = PlatformVolume() * PlatformVolume();
    s.requestEvent = SDL_RegisterEvents(2);
    sdlhost::Start(options, s.requestEvent + 1, OnRequest);
    s.servicesStarted = false;
    return true;
}

void Shutdown() {
    State& s = S();
    sdlhost::Stop();  // before SDL goes: its threads push SDL events
    CloseAudio();
    ClosePads();
    DestroyVideo();
    SDL_Quit();
    // What belonged to this run; the next (in tests) starts afresh.
    s.statusUntilUs = s.sizeSettledUs = s.playUntilUs = s.lastPresentUs = NEVER;
}

}  // namespace platform::sdl


namespace platform {
using namespace sdl;
const Backend SdlBackend = {
    .name = "sdl",
    .select = Select,
    .init = Init,
    .shutdown = Shutdown,
    .nowUs = ClockUs,
    .pump = Pump,
    .pause = Pause,
    .look = Look,
    .windowShown = WindowShown,
    .windowDestroyed = WindowDestroyed,
    .raise = Raise,
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
    .settingsKept = sdlhost::SettingsSaved,
    .typingText = TypingText,
    .messageBox = MessageBox,
    .dialog = Dialog,
    .shellCall = ShellCall,
};
}  // namespace platform

