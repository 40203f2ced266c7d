// The SDL backend's window and display. The path of a frame: the game
// writes the 240 x 320 RGB565 frame memory that GXBeginDraw hands out;
// GXEndDraw waits for its 1/60 s slot (moving window events into the queue
// meanwhile) and writes the rows that changed into the window's own surface
// at the largest whole scale that fits, centred with black bars,
// nearest-neighbour, so the pixels stay crisp. A copy of the last frame
// shown is how the window repaints itself when it is uncovered while the
// game is busy.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/app/settings.h"
#include "platform/os/text.h"
#include "platform/winapi/core_state.h"

#include "platform/sdl/host.h"
#include "platform/sdl/state.h"

namespace platform::sdl {

// Where the frame sits in the window: scale and top-left corner, in pixels
// of the window's surface.
struct Placement {
    int scale;
    int x;
    int y;
};

Placement Place() {
    int w = FRAME_WIDTH, h = FRAME_HEIGHT;
    if (S().window) SDL_GetWindowSizeInPixels(S().window, &w, &h);
    const int scale = std::max(1, std::min(w / FRAME_WIDTH, h / FRAME_HEIGHT));
    return {scale, (w - FRAME_WIDTH * scale) / 2, (h - FRAME_HEIGHT * scale) / 2};
}

// Frame rows first to last, scaled up by whole pixels, into the window's own
// surface (client memory the window system copies from), and only those
// rows shown; whole: the black bars too, and the entire window.
void RenderRows(int first, int last, bool whole) {
    State& s = S();
    if (s.window && sdlhost::ShowRows(s.frame, first, last)) return;
    SDL_Surface* out = s.window ? SDL_GetWindowSurface(s.window) : nullptr;
    if (!out || out->format->BytesPerPixel != 4) return;
    static uint32_t colours[65536];  // RGB565 to the surface's format
    static Uint32 coloursFormat = 0;
    if (coloursFormat != out->format->format) {
        for (uint32_t c = 0; c < 65536; ++c)
            colours[c] = SDL_MapRGB(out->format, static_cast<Uint8>(((c >> 11) * 255 + 15) / 31),
                                    static_cast<Uint8>((((c >> 5) & 63) * 255 + 31) / 63),
                                    static_cast<Uint8>(((c & 31) * 255 + 15) / 31));
        coloursFormat = out->format->format;
    }
    // Placed by the surface's own size, which is what the memory holds even
    // while a resize is still on its way.
    const int scale = std::max(1, std::min(out->w / FRAME_WIDTH, out->h / FRAME_HEIGHT));
    if (out->w < FRAME_WIDTH * scale || out->h < FRAME_HEIGHT * scale) return;
    const Placement p = {scale, (out->w - FRAME_WIDTH * scale) / 2, (out->h - FRAME_HEIGHT * scale) / 2};
    if (whole) SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, 0, 0, 0));
    if (SDL_MUSTLOCK(out)) SDL_LockSurface(out);
    std::vector<uint32_t> row(static_cast<size_t>(FRAME_WIDTH) * p.scale);
    for (int y = first; y <= last; ++y) {
        const uint16_t* in = s.frame + y * FRAME_WIDTH;
        for (int x = 0, o = 0; x < FRAME_WIDTH; ++x)
            for (int k = 0; k < p.scale; ++k) row[o++] = colours[in[x]];
        for (int k = 0; k < p.scale; ++k)
            std::memcpy(static_cast<uint8_t*>(out->pixels) + (p.y + y * p.scale + k) * out->pitch + p.x * 4,
                        row.data(), row.size() * 4);
    }
    if (SDL_MUSTLOCK(out)) SDL_UnlockSurface(out);
    const SDL_Rect changed = {p.x, p.y + first * p.scale, FRAME_WIDTH * p.scale, (last - first + 1) * p.scale};
    if (whole) SDL_UpdateWindowSurface(s.window);
    else SDL_UpdateWindowSurfaceRects(s.window, &changed, 1);
}

void Render() { RenderRows(0, FRAME_HEIGHT - 1, true); }

// A point of the window (in SDL's window coordinates) in the frame; false on
// the black bars.
bool ToFrame(int wx, int wy, int* fx, int* fy) {
    int ww = 1, wh = 1, pw = 1, ph = 1;
    SDL_GetWindowSize(S().window, &ww, &wh);
    SDL_GetWindowSizeInPixels(S().window, &pw, &ph);
    const Placement p = Place();
    const int px = wx * pw / std::max(ww, 1), py = wy * ph / std::max(wh, 1);
    const int x = px - p.x, y = py - p.y;
    if (x < 0 || y < 0) return false;
    *fx = x / p.scale;
    *fy = y / p.scale;
    return *fx < FRAME_WIDTH && *fy < FRAME_HEIGHT;
}

// A status line for about two seconds where it does not touch the frame.
void ShowStatus(const std::string& text) {
    State& s = S();
    sdlhost::ShowStatus(s.window, s.title, text);
    s.statusUntilUs = text.empty() ? NEVER : ClockUs() + STATUS_US;
}

// A window the player sized comes back at that size, taken once the window
// has kept it a moment (SIZE_SETTLES_US): full screen is no size of the
// player's.
void TakeWindowSize() {
    State& s = S();
    s.sizeSettledUs = NEVER;
    if (!s.window || (SDL_GetWindowFlags(s.window) & (SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MINIMIZED))) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(s.window, &w, &h);
    if (w == s.windowWidth && h == s.windowHeight) return;
    s.windowWidth = w;
    s.windowHeight = h;
    platform::KeepWindowSize(w, h);
}

void ToggleFullscreen() {
    State& s = S();
    s.sizeSettledUs = ClockUs() + SIZE_SETTLES_US;
    sdlhost::ToggleFullscreen(s.window);
    Render();
    platform::KeepFullscreen((SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0);
}

void OnWindow(const SDL_WindowEvent& w) {
    State& s = S();
    switch (w.event) {
        case SDL_WINDOWEVENT_CLOSE: PlatformRequestClose(); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: platform::SetActive(true, false); break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            s.stylusInside = false;
            platform::SetActive(false, false);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN: s.minimised = true; break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
            s.minimised = false;
            platform::InvalidateMain();
            Render();
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            s.sizeSettledUs = ClockUs() + SIZE_SETTLES_US;
            [[fallthrough]];
        case SDL_WINDOWEVENT_EXPOSED:
            // Show the last frame at once, whatever the game is doing; the
            // game also gets its paint message when it next looks.
            platform::InvalidateMain();
            Render();
            break;
        default: break;
    }
}

bool CreateWindow(HWND hwnd) {
    State& s = S();
    int w = FRAME_WIDTH, h = FRAME_HEIGHT;
    sdlhost::ChooseSize(s.options, platform::KeptSettings(), &w, &h);
    Uint32 flags = sdlhost::WindowFlags() | SDL_WINDOW_HIDDEN;
    if (platform::StartFullscreen()) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    s.window = SDL_CreateWindow(platform::Narrow(hwnd->title.c_str()).c_str(), SDL_WINDOWPOS_CENTERED,
                                SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (!s.window) return false;
    s.title = platform::Narrow(hwnd->title.c_str());
    s.windowWidth = w;
    s.windowHeight = h;
    SDL_SetWindowMinimumSize(s.window, FRAME_WIDTH, FRAME_HEIGHT);
    PlatformTrace("window %dx%d at scale %d", w, h, std::max(1, std::min(w / FRAME_WIDTH, h / FRAME_HEIGHT)));
    if (hwnd->icon) sdlhost::SetWindowIcon(s.window, hwnd->icon->png, hwnd->icon->size);
    // The window system's own image of the window, not a texture of a
    // renderer: with SDL's default a software OpenGL (Mesa's llvmpipe, as
    // in virtual machines and under Xvfb) scales every frame at a fifth of
    // a core while the reels spin.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!SDL_GetWindowSurface(s.window)) return false;
    std::memcpy(s.shown, s.frame, sizeof s.frame);
    PlatformTrace("output window-surface");
    return true;
}

void WindowShown(HWND hwnd, bool shown) {
    State& s = S();
    if (hwnd != platform::MainWindow()) return;
    if (shown && !s.window && !CreateWindow(hwnd)) {
        std::fprintf(stderr, "vantaro: cannot create the window: %s\n", SDL_GetError());
        return;
    }
    if (!s.window) return;
    s.hidden = !shown;
    if (shown) {
        SDL_ShowWindow(s.window);
        Render();
    } else {
        SDL_HideWindow(s.window);
    }
}

void DestroyVideo() {
    State& s = S();
    if (s.window) SDL_DestroyWindow(s.window);
    s.window = nullptr;
    s.hidden = true;
}

void WindowDestroyed(HWND) { DestroyVideo(); }

void Raise(HWND) {
    if (!S().window) return;
    if (S().minimised) SDL_RestoreWindow(S().window);
    SDL_RaiseWindow(S().window);
}

GXDisplayProperties Properties() { return {FRAME_WIDTH, FRAME_HEIGHT, 2, FRAME_WIDTH * 2, 16, kfDirect | kfDirect565}; }
bool OpenDisplay() { return true; }
void CloseDisplay() {}

uint16_t* BeginDraw(bool) {
    const State& s = S();
    return s.window && !s.hidden && !s.minimised ? S().frame : nullptr;
}

void EndDraw() {
    State& s = S();
    uint64_t now = ClockUs();
    if (s.lastPresentUs == NEVER) {
        s.lastPresentUs = now;
    } else {
        const uint64_t slot = s.lastPresentUs + platform::FRAME_US;
        while ((now = ClockUs()) < slot) WaitUntil(slot);
        // Slots follow one another in exact steps of 1/60 s, however late
        // the wait woke; a present a whole slot late starts the count afresh.
        s.lastPresentUs = now - slot < platform::FRAME_US ? slot : now;
    }
    static const bool tracePresents = [] {
        const char* trace = std::getenv("VANTARO_TRACE");
        return trace && std::strcmp(trace, "presents") == 0;
    }();
    if (tracePresents) PlatformTrace("present %llu", static_cast<unsigned long long>(now));
    sdlhost::Presented();
    // The frame timer presents twice a second while nothing changes; the
    // window already shows that frame, so an idle game renders nothing.
    if (std::memcmp(s.shown, s.frame, sizeof s.frame) == 0) return;
    // Only the rows that changed: a spin frame is the reel area alone.
    int first = 0, last = FRAME_HEIGHT - 1;
    while (std::memcmp(s.shown + first * FRAME_WIDTH, s.frame + first * FRAME_WIDTH, FRAME_WIDTH * 2) == 0) ++first;
    while (std::memcmp(s.shown + last * FRAME_WIDTH, s.frame + last * FRAME_WIDTH, FRAME_WIDTH * 2) == 0) --last;
    std::memcpy(s.shown, s.frame, sizeof s.frame);
    RenderRows(first, last, false);
    sdlhost::Shown();
}

void ShownFrame(uint16_t* frame) { std::memcpy(frame, S().shown, sizeof S().shown); }

}  // namespace platform::sdl
