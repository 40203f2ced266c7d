// The running process: how it is attached to a terminal, and ending it at
// once.
//
// What it deliberately does not do: start other processes (the desktop's
// box helper is the Linux host's own), or end any but this one.
#pragma once

// Whether standard error goes to a terminal (a console), where a line may
// be written over as progress goes on.
bool PlatformErrorIsTerminal();
// Ends the program at once, as a kill would: nothing more is written,
// flushed or closed (tests of what a killed program leaves behind).
[[noreturn]] void PlatformKillProcess();
