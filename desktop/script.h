// Scripted play for the headless backend: a text file of lines such as
// "tap 199 210", "wait 500", "capture out.png", carried out against the real
// game. The format is described in docs/automation.md.
#pragma once
#include <string>
#include <vector>

#include "game/machine.h"
#include "shell/screen_report.h"

enum class ScriptOp { Tap, Down, Up, Key, Wait, Capture, State, Close, Activate, Deactivate };

struct ScriptLine {
    int number;  // in the file, from 1
    ScriptOp op;
    int x = 0;
    int y = 0;
    int key = 0;             // virtual key
    unsigned modifiers = 0;  // MK_CONTROL
    unsigned ms = 0;
    std::string file;
};

struct Script {
    std::string name;
    std::vector<ScriptLine> lines;
};

// A script is a regular file of at most SCRIPT_BYTES_MAX bytes, each line
// at most SCRIPT_LINE_CHARS_MAX characters.
constexpr size_t SCRIPT_BYTES_MAX = 1 << 20;
constexpr size_t SCRIPT_LINE_CHARS_MAX = 4096;

// Reads a script; on a malformed line returns false with "FILE:LINE: what"
// in *error (what the line says is shown cut short and printable).
bool ParseScript(const std::string& name, const std::string& text, Script* script, std::string* error);
bool LoadScript(const std::string& path, Script* script, std::string* error);

// Plays the script against the game from now on: each line is carried out
// at the first moment after the previous one (and after any wait) at which
// the game looks at its input. When the lines run out the window is asked
// to close. The machine is what "state" lines report.
void StartScript(const Script& script, const Machine* machine);
