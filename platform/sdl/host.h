// Where the SDL backend runs: as a desktop program among others
// (host_desktop.cpp) or inside a web page (host_web.cpp). The backend itself
// (the rest of sdl/) is the same in both; these are the few things the two
// places do their own way. Exactly one of the two files is built, and a new
// place to run (another operating system) is another such file.
#pragma once
#include <SDL.h>

#include <string>

#include "platform/app/settings.h"
#include "platform/platform.h"
#include "platform/winapi/gx.h"

namespace sdlhost {

// Before SDL's video comes up: the hints that choose the video driver and
// who catches signals.
void PrepareVideo();
// Why no display could be opened, in the player's terms.
std::string NoDisplay(const char* sdlError);

// After SDL's video is up, and before it goes down: the desktop claims the
// single instance (its requests reach onRequest on a thread of their own)
// and watches for closing signals, waking SDL with wakeEvent; a page has
// neither (it holds a lock of its own, and no signals come).
void Start(const PlatformOptions& options, Uint32 wakeEvent, void (*onRequest)(const std::string& request));
void Stop();

// Sleeps until an event may have come or timeoutMs have passed (-1: no
// limit), without taking the event; the backend then takes what came.
void WaitForEvent(int timeoutMs);

// The window: the flags it is made with and the size it opens at (a page
// opens it at the frame's size and scales the canvas itself): the options'
// scale, else the size or scale the player's settings keep, else a scale
// that fits.
Uint32 WindowFlags();
// The window's icon, a PNG file's bytes: the desktop gives it to the window
// system; a page has icons of its own.
void SetWindowIcon(SDL_Window* window, const void* png, size_t size);
void ChooseSize(const PlatformOptions& options, const PlatformSettings& kept, int* width, int* height);
void ToggleFullscreen(SDL_Window* window);

// A short status (the volume, the sound switched on or off) where it does
// not touch the frame: the desktop puts it in the window's title after the
// title itself; a page shows it beside the frame. Empty text takes it away.
void ShowStatus(SDL_Window* window, const std::string& title, const std::string& text);
// Whether the sound device is opened as the backend starts: on the desktop
// it is; a page may sound only after the player's first touch or key, so
// it opens its device then, and starts sooner.
bool SoundFromStart();
// The settings file has been written: a page stores it in the browser.
void SettingsSaved();
// The game asks for typed text (name entry), or no longer: a page offers
// the device's on-screen keyboard meanwhile; a desktop has its keyboard.
void TypingText(bool typing);

// A frame has been presented (its 1/60 s slot reached), for the page's own
// timing of frames.
void Presented();
// Frame rows first to last, 240 pixels of RGB565 each, drawn by the host
// itself: a page puts them straight into its canvas (SDL's own copy would
// convert every pixel of the window in JavaScript for each frame). False:
// the backend draws them into the window's surface.
bool ShowRows(const uint16_t* frame, int first, int last);
// A new frame is in the window: a page lets the browser show it before the
// game goes on, so that no stretch of the game's work holds the page up
// for longer than a frame's.
void Shown();

// A message box (error) or the About box (a page shows its own, in its
// player's terms: touch or keys). Open shows it and is false when it could
// not be shown; the backend then polls Closed, keeping the window alive,
// until the player closes the box or a close request makes it Close it.
struct Box {
    long handle = -1;
};
bool OpenBox(Box* box, bool error, const std::string& title, const std::string& text, SDL_Window* owner);
bool Closed(Box* box);
void Close(Box* box);

}  // namespace sdlhost
