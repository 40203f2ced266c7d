// The running process: how it is attached to a terminal, and ending it at
// once.
//
// What it deliberately does not do: start other processes (the desktop's
// box helper is the Linux host's own), or end any but this one.
#pragma once
#include <string>
#include <vector>

// The program's command line, each argument as the system holds it: on
// POSIX the bytes of argv; on Windows the wide command line the program was
// started with, as UTF-8 (argv there is in the system's code page, and
// loses what it cannot show).
std::vector<std::string> PlatformArguments(int argc, char** argv);

// A windowed program started from a console (Windows' cmd or PowerShell)
// writes its output there, as a console program does, unless the output
// goes elsewhere already (a pipe, a file); started from Explorer it has
// none. Nothing to do on POSIX.
void PlatformUseParentConsole();
// Whether standard error goes to a terminal (a console), where a line may
// be written over as progress goes on.
bool PlatformErrorIsTerminal();
// Ends the program at once, as a kill would: nothing more is written,
// flushed or closed (tests of what a killed program leaves behind).
[[noreturn]] void PlatformKillProcess();
