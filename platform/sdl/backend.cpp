// The SDL backend: the frame in a real desktop window, mouse, touch and keys
// as the device's stylus and buttons, one voice of SDL audio.
//
// The path of a frame: the game writes the 240 x 320 RGB565 frame memory
// that GXBeginDraw hands out; GXEndDraw waits for its 1/60 s slot (moving
// window events into the queue meanwhile) and writes the rows that changed
// into the window's own surface at the largest whole scale that fits,
// centred with black bars, nearest-neighbour, so the pixels stay crisp. A
// copy of the last frame shown is how the window repaints itself when it is
// uncovered while the game is busy.
#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi/core_state.h"
#include "platform/app/instance.h"
#include "platform/sdl/host.h"
#include "platform/app/settings.h"
#include "platform/codec/wave.h"
#include "platform/os/text.h"
#include "platform/os/paths.h"

namespace {

using platform::NEVER;

struct Clip {
    std::vector<Uint8> data;  // in the device's format
};

struct State {
    PlatformOptions options;
    SDL_Window* window = nullptr;
    bool hidden = true;
    bool minimised = false;
    uint16_t frame[FRAME_WIDTH * FRAME_HEIGHT] = {};
    uint16_t shown[FRAME_WIDTH * FRAME_HEIGHT] = {};  // what the window shows
    uint64_t lastPresentUs = NEVER;
    bool stylusInside = false;
    Uint32 requestEvent = 0;  // a request of another copy, from the listener's thread
    bool boxUp = false;  // a message box or the About box is up: the game takes no input
    std::string title;  // the window's own title, without a status
    int windowWidth = 0;  // the window's size as last kept or made
    int windowHeight = 0;
    uint64_t statusUntilUs = NEVER;  // a status is shown until then
    uint64_t sizeSettledUs = NEVER;  // the player's sizing of the window is taken then
    uint64_t playUntilUs = NEVER;  // the screensaver is held off until then

    SDL_AudioDeviceID audio = 0;
    bool audioTried = false;  // the device opened, or found missing
    SDL_AudioSpec audioSpec = {};
    std::map<std::string, std::unique_ptr<Clip>> clips;  // null: cannot be played
    const Clip* voice = nullptr;  // guarded by the audio device lock
    size_t voicePos = 0;
    bool voiceLoop = false;
    int gain = 100;  // the volume's gain in hundredths; guarded by the audio device lock
};

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

DWORD Modifiers(Uint16 mod) {
    DWORD m = 0;
    if (mod & KMOD_CTRL) m |= MK_CONTROL;
    if (mod & KMOD_SHIFT) m |= MK_SHIFT;
    return m;
}

int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    switch (key) {
        case SDLK_UP: return VK_UP;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_MINUS: return VK_OEM_MINUS;
        case SDLK_EQUALS: case SDLK_PLUS: return VK_OEM_PLUS;
        case SDLK_KP_MINUS: return VK_SUBTRACT;
        case SDLK_KP_PLUS: return VK_ADD;
        default: return 0;
    }
}

// The gamepad reaches the game as the keyboard does: each button is a key.
// A, B and Start are keys of their own, which every page takes as its
// confirm, back and Start (A spins and B collects on the machine); the
// others stand for the keyboard's keys of the machine's buttons and pages.
struct PadBinding {
    SDL_GameControllerButton button;
    int virtualKey;
};
const PadBinding PadBindings[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
    {SDL_CONTROLLER_BUTTON_A, VK_GAMEPAD_A},      {SDL_CONTROLLER_BUTTON_B, VK_GAMEPAD_B},
    {SDL_CONTROLLER_BUTTON_X, 'C'},               {SDL_CONTROLLER_BUTTON_Y, 'R'},
    {SDL_CONTROLLER_BUTTON_BACK, 'G'},            {SDL_CONTROLLER_BUTTON_START, VK_GAMEPAD_MENU},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, '1'},    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, '4'},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 'H'},       {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 'P'},
};
// The triggers are the middle two HOLDs, pressed past half-way and let go
// below a quarter, so a trigger resting near a threshold does not chatter.
constexpr Sint16 TRIGGER_PRESS = 16384;
constexpr Sint16 TRIGGER_RELEASE = 8192;

struct Pad {
    SDL_GameController* controller;
    bool trigger[2];  // left, right
};

std::map<SDL_JoystickID, Pad>& Pads() {
    static std::map<SDL_JoystickID, Pad> pads;
    return pads;
}

void PadKey(int virtualKey, bool down) {
    if (down) platform::PostInput(WM_KEYDOWN, virtualKey, 1, 0);
    else platform::PostInput(WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u), 0);
}

void OnPad(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            if (SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which)) {
                const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
                if (Pads().count(id)) SDL_GameControllerClose(c);  // already open: SDL reports open pads again
                else Pads()[id] = {c, {false, false}};
                PlatformTrace("gamepad %d: %s", static_cast<int>(id), SDL_GameControllerName(c));
            }
            break;
        case SDL_CONTROLLERDEVICEREMOVED: {
            auto pad = Pads().find(e.cdevice.which);
            if (pad == Pads().end()) break;
            SDL_GameControllerClose(pad->second.controller);
            Pads().erase(pad);
            PlatformTrace("gamepad %d gone", static_cast<int>(e.cdevice.which));
            break;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (S().boxUp && e.type == SDL_CONTROLLERBUTTONDOWN) break;
            for (const PadBinding& b : PadBindings)
                if (b.button == e.cbutton.button) PadKey(b.virtualKey, e.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION: {
            auto pad = Pads().find(e.caxis.which);
            const int side = e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT    ? 0
                             : e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT ? 1
                                                                                : -1;
            if (pad == Pads().end() || side < 0) break;
            bool& held = pad->second.trigger[side];
            if (S().boxUp && !held) break;
            if (held ? e.caxis.value < TRIGGER_RELEASE : e.caxis.value > TRIGGER_PRESS) {
                held = !held;
                PadKey(side == 0 ? '2' : '3', held);
            }
            break;
        }
        default:
            break;
    }
}

void ClosePads() {
    for (auto& pad : Pads()) SDL_GameControllerClose(pad.second.controller);
    Pads().clear();
}

// A status line for about two seconds where it does not touch the frame.
constexpr uint64_t STATUS_US = 2000 * 1000;

void ShowStatus(const std::string& text) {
    State& s = S();
    sdlhost::ShowStatus(s.window, s.title, text);
    s.statusUntilUs = text.empty() ? NEVER : ClockUs() + STATUS_US;
}

void SoundChanged(bool muteSwitched) {
    State& s = S();
    const int volume = PlatformVolume();
    if (s.audio) SDL_LockAudioDevice(s.audio);
    s.gain = volume * volume;  // even steps to the ear, more than even steps of amplitude
    if (s.audio) SDL_UnlockAudioDevice(s.audio);
    const std::string percent = std::to_string(volume * 100 / VOLUME_STEPS) + "%";
    if (muteSwitched) ShowStatus(PlatformMuted() ? "Sound off" : "Sound on, volume " + percent);
    else ShowStatus("Volume " + percent + (PlatformMuted() ? " (sound off)" : ""));
}

// A window the player sized comes back at the whole scale it shows the
// frame at. The size is taken once the window has kept it a moment: not at
// every step of a drag, and not from the sizes a switch of full screen
// passes through (full screen is no size of the player's).
constexpr uint64_t SIZE_SETTLES_US = 500 * 1000;

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

LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

void OnMouse(const SDL_Event& e) {
    State& s = S();
    // The owner of a modal box takes no input; a press that began before
    // the box still gets its release.
    if (s.boxUp && e.type != SDL_MOUSEBUTTONUP) return;
    int x = 0, y = 0;
    const DWORD mods = Modifiers(SDL_GetModState());
    if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
        if (!ToFrame(e.button.x, e.button.y, &x, &y)) return;  // a click on the bars is no tap
        s.stylusInside = true;
        platform::SetStylus(true);
        platform::PostInput(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y), mods);
    } else if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_LEFT && s.stylusInside) {
        ToFrame(e.button.x, e.button.y, &x, &y);
        s.stylusInside = false;
        platform::SetStylus(false);
        platform::PostInput(WM_LBUTTONUP, 0, Point(std::clamp(x, 0, FRAME_WIDTH - 1), std::clamp(y, 0, FRAME_HEIGHT - 1)), mods);
    } else if (e.type == SDL_MOUSEMOTION && s.stylusInside && ToFrame(e.motion.x, e.motion.y, &x, &y)) {
        platform::PostInput(WM_MOUSEMOVE, MK_LBUTTON, Point(x, y), mods);
    }
}

void OnKey(const SDL_Event& e) {
    if (S().boxUp && e.type == SDL_KEYDOWN) return;
    const SDL_Keysym& k = e.key.keysym;
    if (k.sym == SDLK_F11) {
        if (e.type == SDL_KEYDOWN && !e.key.repeat) ToggleFullscreen();
        return;
    }
    const int vk = VirtualKey(k.sym);
    if (!vk) return;
    if (e.type == SDL_KEYDOWN)
        platform::PostInput(WM_KEYDOWN, vk, e.key.repeat ? 0x40000001 : 1, Modifiers(k.mod));
    else
        platform::PostInput(WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u), Modifiers(k.mod));
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

// The screensaver is held off while the player plays: from any press until
// PLAY_US after the last. A gamepad's presses are no input to the desktop,
// whose screensaver would otherwise start in the middle of a game.
constexpr uint64_t PLAY_US = 5 * 60 * 1000 * 1000ull;

void OpenAudio();

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

void AudioCallback(void*, Uint8* stream, int length) {
    State& s = S();
    SDL_memset(stream, s.audioSpec.silence, static_cast<size_t>(length));
    size_t done = 0;
    while (s.voice && done < static_cast<size_t>(length)) {
        const size_t n = std::min(static_cast<size_t>(length) - done, s.voice->data.size() - s.voicePos);
        SDL_memcpy(stream + done, s.voice->data.data() + s.voicePos, n);
        done += n;
        s.voicePos += n;
        if (s.voicePos >= s.voice->data.size()) {
            s.voicePos = 0;
            if (!s.voiceLoop) s.voice = nullptr;
        }
    }
    if (s.gain != 100) {  // the device plays 16-bit samples
        Sint16* sample = reinterpret_cast<Sint16*>(stream);
        for (size_t i = 0; i < done / 2; ++i) sample[i] = static_cast<Sint16>(sample[i] * s.gain / 100);
    }
}

void OpenAudio() {
    State& s = S();
    s.audioTried = true;
    // Opened even with --mute, so that M can switch the sound on.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    SDL_AudioSpec want = {};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    s.audio = SDL_OpenAudioDevice(nullptr, 0, &want, &s.audioSpec,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (s.audio) SDL_PauseAudioDevice(s.audio, 0);
}

// Decodes a wave file into the device's format, once. The file is read as
// the headless backend reads it (never waiting on a FIFO, at most
// MAX_WAVE_FILE_BYTES); one that cannot be read or decoded is silence. A
// compressed one (the page's are IMA ADPCM) ends where its fact chunk says,
// not at the end of its last block.
const Clip* LoadClip(const char* path) {
    State& s = S();
    auto known = s.clips.find(path);
    if (known != s.clips.end()) return known->second.get();
    std::unique_ptr<Clip> clip;
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    std::string file, error;
    if (ReadWaveFile(path, &file, &error) &&
        SDL_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1, &spec, &buffer, &length)) {
        SDL_AudioCVT cvt;
        if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, s.audioSpec.format,
                              s.audioSpec.channels, s.audioSpec.freq) >= 0) {
            std::vector<Uint8> work(static_cast<size_t>(length) * std::max(cvt.len_mult, 1));
            SDL_memcpy(work.data(), buffer, length);
            cvt.buf = work.data();
            cvt.len = static_cast<int>(length);
            if (SDL_ConvertAudio(&cvt) == 0) {
                work.resize(static_cast<size_t>(cvt.len_cvt));
                clip = std::make_unique<Clip>();
                clip->data = std::move(work);
            }
        }
        SDL_FreeWAV(buffer);
    }
    if (clip && clip->data.empty()) clip.reset();
    return s.clips.emplace(path, std::move(clip)).first->second.get();
}

bool VoicePlaying() {
    State& s = S();
    if (!s.audio) return false;
    SDL_LockAudioDevice(s.audio);
    const bool playing = s.voice != nullptr;
    SDL_UnlockAudioDevice(s.audio);
    return playing;
}

void VoiceStop() {
    State& s = S();
    if (!s.audio) return;
    SDL_LockAudioDevice(s.audio);
    s.voice = nullptr;
    SDL_UnlockAudioDevice(s.audio);
}

bool VoiceStart(const char* path, bool loop) {
    State& s = S();
    if (!s.audio) return false;
    const Clip* clip = LoadClip(path);
    if (!clip) return false;
    SDL_LockAudioDevice(s.audio);
    s.voice = clip;
    s.voicePos = 0;
    s.voiceLoop = loop;
    SDL_UnlockAudioDevice(s.audio);
    return true;
}

void SoundCall(const char*, DWORD, const char*) {}

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
    if (sdlhost::SoundFromStart()) OpenAudio();
    // Gamepads come and go while the game runs; without the subsystem the
    // game is played with mouse and keyboard alone.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) PlatformTrace("no gamepads: %s", SDL_GetError());
    return true;
}

void Shutdown() {
    State& s = S();
    sdlhost::Stop();  // before SDL goes: its threads push SDL events
    if (s.audio) SDL_CloseAudioDevice(s.audio);
    s.audio = 0;
    s.audioTried = false;
    s.voice = nullptr;
    s.clips.clear();
    ClosePads();
    DestroyVideo();
    SDL_Quit();
    // What belonged to this run; the next (in tests) starts afresh.
    s.statusUntilUs = s.sizeSettledUs = s.playUntilUs = NEVER;
}

}  // namespace

namespace platform {
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
