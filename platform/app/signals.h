// Closing signals: SIGINT (Ctrl+C), SIGTERM (a polite kill, the session
// ending) and SIGHUP (the terminal closing) are close requests, as the
// window's close button is, for either backend.
//
// What it deliberately does not do: catch any other signal, or do anything
// in the handler but note the signal (the platform acts on the note at its
// next look at the queue).
#pragma once

// The name of a closing signal a program ended by: "INT", "TERM", "HUP"
// (on Windows, the console's Ctrl+C, the session ending and the console
// closing stand for them).
const char* PlatformCloseSignalName(int signal);

namespace platform {

// Installed at PlatformInit, but for a signal the program was started with
// ignored (nohup); each signal's action as it was is given back at
// PlatformShutdown.
void CatchCloseSignals();
void ReleaseCloseSignals();
// A signal that came since the last call becomes a close request; every
// look at the queue makes this call.
void TakeCloseSignal();
// Readable after each closing signal: a backend that sleeps in the window
// system watches it to wake up. Nothing else reads it. (-1 on Windows,
// whose console events come on a thread of their own: see below.)
int CloseSignalFd();
// Windows: wake is called after each closing event (on the system's
// thread for the console's, on the window thread for the session's end), so
// that a backend asleep in the window system wakes up; NoteCloseSignal is
// how either notes its event.
void SetCloseSignalWaker(void (*wake)());
void NoteCloseSignal(int signal);

}  // namespace platform
