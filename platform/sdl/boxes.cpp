// Message boxes and the About box, shown by the host (a helper process on
// the desktop, the page's own in a browser) while the window stays alive.
#include <cstdio>
#include "platform/app/signals.h"
#include "platform/winapi/core_state.h"

#include "platform/sdl/host.h"
#include "platform/sdl/state.h"

namespace platform::sdl {

// A box is modal: while it is up the window stays alive (it repaints) but
// takes no input, and a close request (the close button, a closing signal)
// closes the box and then, as it stays pending, the game.
void ShowBox(bool error, const std::string& title, const std::string& text) {
    State& s = S();
    sdlhost::Box box;
    s.boxUp = true;
    const bool open = sdlhost::OpenBox(&box, error, title, text, s.window);
    while (open && !sdlhost::Closed(&box)) {
        platform::TakeCloseSignal();
        if (platform::Core().closePending) {
            sdlhost::Close(&box);
            break;
        }
        WaitUntil(ClockUs() + 50 * 1000);  // the box's end is not an event: look every 50 ms
    }
    Drain();  // what came while a box that blocks was up is dropped too
    s.boxUp = false;
    Render();
}

int MessageBox(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "vantaro: %s: %s\n", caption.c_str(), text.c_str());
    ShowBox(true, caption, text);
    return IDOK;
}

void Dialog(const std::string& title, const std::string& text) { ShowBox(false, title, text); }

}  // namespace platform::sdl
