// What the SDL backend's files share: its state, its clock, and the calls
// they make of one another. Not for anyone outside the backend.
//
//   backend.cpp   the backend record, start and stop, the event loop, the
//                 clock, the screensaver while the player plays
//   video.cpp     the window, the frame at a whole scale, full screen, the
//                 window's size kept, the status in the title
//   input.cpp     mouse, touch and keys as the stylus and the device's keys
//   gamepads.cpp  game controllers as keys
//   audio.cpp     one voice of SDL audio at the player's volume
//   boxes.cpp     message boxes and the About box, modal over the window
#pragma once
#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi/core.h"

namespace platform::sdl {

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
    bool servicesStarted = false;  // sound and gamepads, once the first frame is shown

    SDL_AudioDeviceID audio = 0;
    bool audioTried = false;  // the device opened, or found missing
    SDL_AudioSpec audioSpec = {};
    std::map<std::string, std::unique_ptr<Clip>> clips;  // null: cannot be played
    const Clip* voice = nullptr;  // guarded by the audio device lock
    size_t voicePos = 0;
    bool voiceLoop = false;
    int gain = 100;  // the volume's gain in hundredths; guarded by the audio device lock
};

State& S();
// Microseconds on the backend's clock (see backend.cpp).
uint64_t ClockUs();
// Sleeps until an event comes or the clock reaches untilUs, then takes
// every pending event; Drain takes them without sleeping.
void WaitUntil(uint64_t untilUs);
void Drain();

// video.cpp
constexpr uint64_t STATUS_US = 2000 * 1000;  // a status shows this long
// A player's sizing of the window is taken once it has kept its size this
// long: not at every step of a drag, and not from the sizes a switch of
// full screen passes through.
constexpr uint64_t SIZE_SETTLES_US = 500 * 1000;
bool ToFrame(int wx, int wy, int* fx, int* fy);
void Render();
void ShowStatus(const std::string& text);
void TakeWindowSize();
void ToggleFullscreen();
void OnWindow(const SDL_WindowEvent& w);
void WindowShown(HWND hwnd, bool shown);
void WindowDestroyed(HWND hwnd);
void DestroyVideo();
void Raise(HWND hwnd);
GXDisplayProperties Properties();
bool OpenDisplay();
void CloseDisplay();
uint16_t* BeginDraw(bool displayOpen);
void EndDraw();
void ShownFrame(uint16_t* frame);

// input.cpp
void OnMouse(const SDL_Event& e);
void OnKey(const SDL_Event& e);

// gamepads.cpp
void OnPad(const SDL_Event& e);
void ClosePads();

// audio.cpp
void OpenAudio();
void CloseAudio();
void SoundChanged(bool muteSwitched);
bool VoicePlaying();
void VoiceStop();
bool VoiceStart(const char* path, bool loop);
void SoundCall(const char* path, DWORD flags, const char* outcome);

// boxes.cpp
int MessageBox(const std::string& text, const std::string& caption);
void Dialog(const std::string& title, const std::string& text);

}  // namespace platform::sdl
