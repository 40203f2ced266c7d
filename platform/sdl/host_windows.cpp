// The SDL backend as a Windows program: crisp pixels at any display
// scaling (the program is aware of each monitor's DPI, so SDL's sizes are
// the screen's own pixels), the single copy, the closing events (the
// console's and the session's end: app/signals_windows.cpp), and SDL's own
// message boxes, which are native Windows dialogs. (The window itself is
// host_window.cpp's, as on Linux.)
#include <SDL.h>

#include <string>

#include "platform/app/instance.h"
#include "platform/app/signals.h"
#include "platform/sdl/host.h"

namespace {

Uint32 WakeEvent = 0;

void Wake() {
    SDL_Event e = {};
    e.type = WakeEvent;
    SDL_PushEvent(&e);
}

}  // namespace

namespace sdlhost {

void PrepareVideo() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window's pixels are the screen's: at 150 % or 200 % scaling the
    // frame is drawn at a whole scale of real pixels, not stretched blurry.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}

std::string NoDisplay(const char* sdlError) { return std::string("no window can be opened (") + sdlError + ")"; }

void Start(const PlatformOptions& options, Uint32 wakeEvent, void (*onRequest)(const std::string& request)) {
    WakeEvent = wakeEvent;
    platform::SetCloseSignalWaker(Wake);
    if (options.singleInstance) platform::InstanceClaim(platform::InstanceNameOfDataFolder(), onRequest);
}

void Stop() {
    platform::InstanceRelease();
    platform::SetCloseSignalWaker(nullptr);
}

// SDL's box runs the dialog's own loop until the player closes it; the
// game's window is disabled meanwhile, as a dialog's owner is.
bool OpenBox(Box*, bool error, const std::string& title, const std::string& text, SDL_Window* owner) {
    const Uint32 kind = error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(kind, title.c_str(), text.c_str(), owner) != 0)
        PlatformWarn("cannot show the box \"%s\": %s", title.c_str(), SDL_GetError());
    return true;
}
bool Closed(Box*) { return true; }
void Close(Box*) {}

}  // namespace sdlhost

// Boxes need no helper process on Windows.
int PlatformBoxHelper(int, char**) { return -1; }
