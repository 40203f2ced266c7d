// The way into the game from a web page. The page (index.html, page.js) has
// mounted the data folder (/data, kept in the browser's IndexedDB), put the
// pictures and sounds beside the program (/vantaro) and may have fixed the
// clock's starting tick (?tick=N); the game then runs as on the desktop, on
// the SDL backend, its waits yielding to the browser.
//
// For tests and automation the page reaches in through a few functions:
// VantaroState, the headless "state" line; VantaroFramePng, the frame as
// "capture" writes it; VantaroWaiting, whether the game waits for input;
// VantaroMuted and VantaroVolume, the sound's state.
#include <emscripten.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/winapi/kernel.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/winmain.h"

// The player left the game (Exit Game, or Quit at "Abandon Game?"): a page
// cannot close itself, so it offers a new game instead.
EM_JS(void, GameEnded, (), { Module.vantaroPage.ended(); });

// The game's objects read the clock as they are built (a new game seeds its
// random numbers from it), so the platform, and with it the starting tick,
// is chosen before them.
__attribute__((constructor(101))) static void SelectPlatformEarly() {
    PlatformOptions options;
    options.backend = BackendKind::Sdl;
    options.dataFolder = "/data";
    options.keepSettings = true;  // in /config (XDG_CONFIG_HOME), kept in IndexedDB as /data is
    if (const char* tick = std::getenv("VANTARO_START_TICK"); tick && *tick) {
        options.startTick = static_cast<uint32_t>(std::strtoul(tick, nullptr, 10));
        options.startTickFixed = true;
    }
    PlatformSelect(options);
}

int main() {
    std::string error;
    if (!PlatformInit(&error)) {
        PlatformWarn("%s", error.c_str());
        return 1;
    }
    const int status = WinMain(PlatformModule(), nullptr, "", SW_SHOW);
    PlatformShutdown();
    GameEnded();
    return status;
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* VantaroState() {
    static std::string state;
    state = MachineStateJson(TheMachine);
    return state.c_str();
}

// The PNG's bytes, valid until the next call; their number in *size.
extern "C" EMSCRIPTEN_KEEPALIVE const char* VantaroFramePng(int* size) {
    static std::string png;
    if (!PlatformFramePng(&png)) png.clear();
    *size = static_cast<int>(png.size());
    return png.data();
}

extern "C" EMSCRIPTEN_KEEPALIVE int VantaroWaiting() { return PlatformWaitingForInput() ? 1 : 0; }
extern "C" EMSCRIPTEN_KEEPALIVE int VantaroMuted() { return PlatformMuted() ? 1 : 0; }
extern "C" EMSCRIPTEN_KEEPALIVE int VantaroVolume() { return PlatformVolume(); }
