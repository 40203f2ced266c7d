// Mouse, touch and keys: the left button or a finger is the device's
// stylus, inside the frame only; keys become the device's virtual keys.
#include <algorithm>
#include "platform/winapi/core_state.h"

#include "platform/sdl/host.h"
#include "platform/sdl/state.h"

namespace platform::sdl {

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

}  // namespace platform::sdl
