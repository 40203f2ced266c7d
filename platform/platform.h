// Bringing the platform up and down, and the few services that exist only on
// this side of the port: choosing the backend, the close request, what the
// platform says on stderr, the sound's switch and volume, and the program's
// module handle.
//
// Two backends sit behind one interface, chosen once at start-up:
//   SDL      a real window with the 240 x 320 frame scaled up, mouse, touch
//            and keyboard, one-voice SDL audio, a monotonic clock;
//   headless an in-memory display, scripted input, a virtual clock that never
//            waits for real time, a log of presents, sounds and message boxes
//            (see headless/headless.h).
// The game above calls the same services either way.
//
// The platform by service (docs/platform.md):
//   winapi/    the handheld's window system, display, sound and kernel calls
//              that the game is written against, over either backend
//   sdl/       the SDL backend, and the hosts it runs in (desktop, web page)
//   headless/  the headless backend and its side door for tests and scripts
//   os/        the system's files, folders and text
//   app/       the player's program's own: settings, one copy, signals
//   codec/     PNG and wave files;  libc/  the C library's random numbers
//
// How its functions are named: the handheld's own calls keep their names
// (GetMessageW, GXBeginDraw, PlaySoundW); everything else the platform
// offers the program is Platform... (PlatformInit, PlatformReadFile); what
// its parts say to one another lives in namespace platform (the SDL
// backend's files in platform::sdl, its hosts in sdlhost), and the headless
// backend's side door in namespace headless.
//
// What it deliberately does not do: more than one window system or display
// at a time, threads of the game's own, anything the game does not call.
#pragma once
#include <cstdint>
#include <string>


enum class BackendKind { Sdl, Headless };

struct PlatformOptions {
    BackendKind backend = BackendKind::Sdl;
    int scale = 0;                // whole-number window scale; 0 chooses one that fits the desktop
    bool fullscreen = false;
    bool mute = false;
    uint32_t startTick = 1000000;  // where the headless clock starts (and so the game's random seed)
    // The SDL clock starts at startTick too (a page's ?tick=N), so that a game
    // given the same taps plays as a headless one does.
    bool startTickFixed = false;
    // The per-user data folder; empty: the one the environment names (see
    // PlatformDataFolder).
    std::string dataFolder;
    // The player's settings (settings.h) are read at start-up and written
    // when the player changes one: the desktop program and the page keep
    // them, tests and automation do not. What the command line asks for
    // (scale, full screen, mute) holds for the run and is not written.
    bool keepSettings = false;
    // One copy per user and data folder: a second SDL copy on the same data
    // folder (by its canonical path, so a trailing slash or a symbolic link
    // makes no other folder) hands over to the first.
    bool singleInstance = false;
};

// Chooses the backend and starts its clock. Cheap and infallible, so that it
// can run before the program's static objects are built (they read the
// clock). Until it is called the headless backend is in place.
void PlatformSelect(const PlatformOptions& options);
// Brings the chosen backend up. On failure returns false with a message for
// the player in *error (for instance when there is no display).
bool PlatformInit(std::string* error);
// Closes windows, sound and display; safe to call twice.
void PlatformShutdown();
// The SDL backend shows its message boxes from a helper process: this
// program run again with a first argument of the platform's own. main hands
// every run here before anything else: the helper's exit status, or -1 when
// this run is not a helper.
int PlatformBoxHelper(int argc, char** argv);
const PlatformOptions& PlatformCurrentOptions();

// The close button, SIGINT, SIGTERM and SIGHUP all end up here.
void PlatformRequestClose();
// The signal (SIGINT, SIGTERM or SIGHUP) that asked the program to close
// since PlatformInit, 0 for none. The program closes as for any close
// request and then exits with 128 + the signal, so that whoever started it
// sees it did not end of its own accord. The handlers are one-shot: a second
// signal of the same kind ends the program at once, however busy it is. A
// signal the program was started with ignored (SIGHUP under nohup) gets no
// handler and stays ignored.
int PlatformCloseSignal();

// With VANTARO_TRACE set in the environment, the platform reports on stderr
// what it hands the game (taps, keys, close requests, requests of other
// copies), one line each; for finding out what reached the game.
void PlatformTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A line on stderr for whoever runs the program, "vantaro: " and the text:
// what failed, with the path and the system's reason, where a box or a
// status alone would not say enough.
void PlatformWarn(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Sound on or off. It starts off with --mute; M switches it at any moment,
// even while the game is busy, and never reaches the game. While the player
// types text (name entry) a plain M is a letter and only Ctrl+M switches.
bool PlatformMuted();
void PlatformToggleMute();
void PlatformTypingText(bool typing);
// The sound's volume, 0 to 10 (0 to 100 % in tens), full to begin with.
// The keys - and = (or +, also on the keypad) turn it down and up a step at
// any moment, as M mutes, and never reach the game; muting keeps the level.
int PlatformVolume();
void PlatformChangeVolume(int steps);

// What the display shows now, the last frame presented, as a 240 x 320 RGB
// PNG: the very bytes a script's "capture" writes of the same frame.
bool PlatformFramePng(std::string* png);

// True while the game waits for its next message with nothing to do (at
// the machine, at a prompt), false while it is busy (a spin, a delay, a
// fade): for automation that acts only when a player could.
bool PlatformWaitingForInput();

