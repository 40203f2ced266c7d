// Game controllers, which come and go while the game runs, as keys.
#include "platform/winapi/core_state.h"

#include "platform/sdl/host.h"
#include "platform/sdl/state.h"

namespace platform::sdl {

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

}  // namespace platform::sdl
