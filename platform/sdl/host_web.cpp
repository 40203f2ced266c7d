// The SDL backend inside a web page (web/): the page owns the canvas and its
// size, full screen, the boxes and the one-tab rule; SDL draws into the
// canvas at 240 x 320, and the page scales it.
#include <SDL.h>
#include <emscripten.h>

#include "platform/sdl/host.h"

namespace {

// A box of the page's own over the frame, which the game waits for: the
// wait yields to the browser, so the page stays alive meanwhile.
EM_ASYNC_JS(void, ShowPageBox, (int error, const char* title, const char* text), {
    await Module.vantaroPage.showBox(error != 0, UTF8ToString(title), UTF8ToString(text));
});

// Sleeps until the time is up or the page wakes the game for input. SDL's
// own wait would poll every millisecond, which a browser stretches to four:
// frames would come late and an idle game would keep the page busy.
EM_ASYNC_JS(void, WaitForPage, (int timeoutMs), {
    await Module.vantaroPage.sleep(timeoutMs);
});

EM_JS(void, TogglePageFullscreen, (), { Module.vantaroPage.toggleFullscreen(); });

EM_JS(void, NotePresent, (), { Module.vantaroPage.presented(performance.now()); });

// Rows of the frame, as the canvas takes them, into the canvas.
EM_JS(void, PutRows, (const void* pixels, int width, int height, int first, int rows), {
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    Module.canvas.getContext('2d').putImageData(image, 0, 0, 0, first, width, rows);
});

EM_JS(void, ShowPageStatus, (const char* text), { Module.vantaroPage.showStatus(UTF8ToString(text)); });

// The settings file, into the browser's storage; nothing waits for it, and
// changes that come while one is being stored are stored together after it.
EM_JS(void, StoreSettings, (), { Module.vantaroPage.storeSettings(); });

EM_JS(void, OfferKeyboard, (int typing), { Module.vantaroPage.typing(typing != 0); });

// The About box, in the page's words for the way its player plays.
EM_ASYNC_JS(void, ShowPageAbout, (), { await Module.vantaroPage.showAbout(); });

}  // namespace

// web/library.js: brings in the JavaScript SDL calls on.
extern "C" void VantaroSdlNeeds();

namespace sdlhost {

void PrepareVideo() {
    VantaroSdlNeeds();
    // The game yields to the browser in its own waits; SDL would also yield
    // after every frame it shows, from code that is not built to.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
}

std::string NoDisplay(const char* sdlError) { return std::string("the page has no canvas to draw on (") + sdlError + ")"; }

// The video is up: the page breathes before the game goes on to build its
// window, so that starting is no one long stretch of work.
void Start(const PlatformOptions&, Uint32, void (*)(const std::string&)) { WaitForPage(0); }
void Stop() {}

void WaitForEvent(int timeoutMs) {
    // A gamepad gives no events of its own: it is read when the game looks,
    // so with one plugged in the game looks every frame.
    if (SDL_NumJoysticks() > 0 && (timeoutMs < 0 || timeoutMs > 16)) timeoutMs = 16;
    WaitForPage(timeoutMs);
}

Uint32 WindowFlags() { return 0; }
void SetWindowIcon(SDL_Window*, const void*, size_t) {}
void ChooseSize(const PlatformOptions&, const PlatformSettings&, int* width, int* height) {
    *width = FRAME_WIDTH;
    *height = FRAME_HEIGHT;
}

void ShowStatus(SDL_Window*, const std::string&, const std::string& text) { ShowPageStatus(text.c_str()); }

bool SoundFromStart() { return false; }
void SettingsSaved() { StoreSettings(); }
void TypingText(bool typing) { OfferKeyboard(typing); }
void ToggleFullscreen(SDL_Window*) { TogglePageFullscreen(); }

void Presented() { NotePresent(); }

bool ShowRows(const uint16_t* frame, int first, int last) {
    // The canvas's own bytes: red, green, blue, opaque.
    static uint32_t colours[65536];
    static bool made = false;
    if (!made) {
        for (uint32_t c = 0; c < 65536; ++c)
            colours[c] = ((c >> 11) * 255 + 15) / 31 | ((((c >> 5) & 63) * 255 + 31) / 63) << 8 |
                         ((c & 31) * 255 + 15) / 31 << 16 | 0xff000000u;
        made = true;
    }
    static uint32_t canvas[FRAME_WIDTH * FRAME_HEIGHT];
    for (int i = first * FRAME_WIDTH; i < (last + 1) * FRAME_WIDTH; ++i) canvas[i] = colours[frame[i]];
    PutRows(canvas, FRAME_WIDTH, FRAME_HEIGHT, first, last - first + 1);
    return true;
}
void Shown() { WaitForPage(0); }

bool OpenBox(Box*, bool error, const std::string& title, const std::string& text, SDL_Window*) {
    if (error) ShowPageBox(true, title.c_str(), text.c_str());
    else ShowPageAbout();
    return true;
}
bool Closed(Box*) { return true; }
void Close(Box*) {}

}  // namespace sdlhost

// The page's buttons for the device's keys: each is that key pressed and let
// go, taken exactly as the keyboard's.
extern "C" EMSCRIPTEN_KEEPALIVE void VantaroPressKey(int key, int control) {
    for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event e = {};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key;
        e.key.keysym.mod = control ? KMOD_LCTRL : KMOD_NONE;
        SDL_PushEvent(&e);
    }
}
