#include "desktop/script.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/winapi/gx.h"
#include "platform/headless/headless.h"
#include "platform/winapi/core.h"
#include "platform/winapi/kernel.h"
#include "shell/screen_report.h"
#include "platform/os/files.h"
#include "platform/os/text.h"

namespace {

// The game gets this long after the script's close request before the run
// is given up as hung.
constexpr uint64_t CLOSE_GRACE_US = 600ull * 1000 * 1000;
constexpr int FAILED = 3;

// Text from the script as an error message may show it: printable, and
// short however long it was.
std::string Excerpt(const std::string& text, size_t shown = 40);

// The text in single quotes, as an excerpt.
std::string Quoted(const std::string& text) {
    std::string quoted(1, '\'');
    quoted.append(Excerpt(text)).push_back('\'');
    return quoted;
}

std::string Excerpt(const std::string& text, size_t shown) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (text.size() > shown) out += "...";
    return out;
}

bool KeyByName(const std::string& name, int* key, unsigned* modifiers) {
    const GXKeyList keys = GXGetDefaultKeys(GX_NORMALKEYS);
    *modifiers = 0;
    if (name == "up") *key = keys.vkUp;
    else if (name == "down") *key = keys.vkDown;
    else if (name == "left") *key = keys.vkLeft;
    else if (name == "right") *key = keys.vkRight;
    else if (name == "a") *key = keys.vkA;
    else if (name == "b") *key = keys.vkB;
    else if (name == "c") *key = keys.vkC;
    else if (name == "start") *key = keys.vkStart;
    else if (name == "space") *key = VK_SPACE;
    else if (name == "enter") *key = VK_RETURN;
    else if (name == "backspace") *key = VK_BACK;
    else if (name.size() == 1 && ((name[0] >= '1' && name[0] <= '4') || (name[0] >= 'A' && name[0] <= 'Z')))
        *key = name[0];  // a digit or letter key of the keyboard
    else if (name == "ctrl+a" || name == "ctrl+q" || name == "ctrl+m") {
        *key = name[5] - 'a' + 'A';
        *modifiers = MK_CONTROL;
    } else {
        return false;
    }
    return true;
}

// One line into *line; an empty result with true for blank lines and
// comments.
bool ParseLine(const std::string& text, ScriptLine* line, bool* empty, std::string* error) {
    std::istringstream in(text.substr(0, text.find('#')));
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    *empty = w.empty();
    if (w.empty()) return true;
    const std::string& op = w[0];
    const size_t args = w.size() - 1;
    long a = 0, b = 0;
    auto expect = [&](size_t n, const char* usage) {
        if (args == n) return true;
        *error = Quoted(op) + " takes " + usage;
        return false;
    };
    if (op == "tap" || op == "down") {
        if (!expect(2, "X Y")) return false;
        if (!PlatformWholeNumber(w[1], 0, 239, &a) || !PlatformWholeNumber(w[2], 0, 319, &b)) {
            *error = "X must be 0-239 and Y 0-319";
            return false;
        }
        line->op = op == "tap" ? ScriptOp::Tap : ScriptOp::Down;
        line->x = static_cast<int>(a);
        line->y = static_cast<int>(b);
    } else if (op == "up" || op == "close" || op == "activate" || op == "deactivate") {
        if (!expect(0, "nothing")) return false;
        line->op = op == "up" ? ScriptOp::Up : op == "close" ? ScriptOp::Close
                 : op == "activate" ? ScriptOp::Activate : ScriptOp::Deactivate;
    } else if (op == "key") {
        if (!expect(1, "a key name")) return false;
        if (!KeyByName(w[1], &line->key, &line->modifiers)) {
            *error = "unknown key '" + Excerpt(w[1]) +
                     "' (up, down, left, right, a, b, c, start, space, enter, backspace, 1-4, A-Z, ctrl+a, ctrl+q, ctrl+m)";
            return false;
        }
        line->op = ScriptOp::Key;
    } else if (op == "wait") {
        if (!expect(1, "milliseconds")) return false;
        if (!PlatformWholeNumber(w[1], 0, 86400000, &a)) {
            *error = "wait needs a whole number of milliseconds";
            return false;
        }
        line->op = ScriptOp::Wait;
        line->ms = static_cast<unsigned>(a);
    } else if (op == "capture" || op == "state") {
        if (!expect(1, "a file name")) return false;
        line->op = op == "capture" ? ScriptOp::Capture : ScriptOp::State;
        line->file = w[1];
    } else {
        *error = "unknown command '" + Excerpt(op) + "'";
        return false;
    }
    return true;
}

struct Runner {
    const Script* script = nullptr;
    const Machine* machine = nullptr;
    size_t next = 0;
    uint64_t dueUs = 0;
    bool closed = false;
    uint64_t closedUs = 0;
};

Runner TheRunner;

[[noreturn]] void Fail(const ScriptLine& line, const std::string& what) {
    std::fprintf(stderr, "vantaro: %s:%d: %s\n", TheRunner.script->name.c_str(), line.number, what.c_str());
    std::exit(FAILED);
}

void WriteState(const ScriptLine& line) {
    std::string why;
    if (!PlatformWriteFile(line.file.c_str(), MachineStateJson(*TheRunner.machine) + "\n", &why))
        Fail(line, "cannot write " + Excerpt(line.file, 200) + ": " + why);
}

// Carries out one line; true when it gave the game input to take first.
bool Carry(const ScriptLine& line) {
    switch (line.op) {
        case ScriptOp::Tap: headless::Tap(line.x, line.y); return true;
        case ScriptOp::Down: headless::StylusDown(line.x, line.y); return true;
        case ScriptOp::Up: headless::StylusUp(); return true;
        case ScriptOp::Key: headless::Key(line.key, line.modifiers); return true;
        case ScriptOp::Close: PlatformRequestClose(); return true;
        case ScriptOp::Activate: headless::SetActive(true); return true;
        case ScriptOp::Deactivate: headless::SetActive(false); return true;
        case ScriptOp::Wait: TheRunner.dueUs = headless::NowUs() + static_cast<uint64_t>(line.ms) * 1000; return false;
        case ScriptOp::Capture: {
            std::string error;
            if (!headless::WriteFramePng(line.file.c_str(), &error)) Fail(line, Excerpt(error, 200));
            return false;
        }
        case ScriptOp::State: WriteState(line); return false;
    }
    return false;
}

void Look(void*) {
    Runner& r = TheRunner;
    const uint64_t now = headless::NowUs();
    if (r.closed) {
        if (now >= r.closedUs + CLOSE_GRACE_US) {
            std::fprintf(stderr, "vantaro: %s: the game did not close within 600 s after the script ended\n",
                         r.script->name.c_str());
            std::exit(FAILED);
        }
        return;
    }
    // Lines that only read or wait run together; a line that gives input
    // ends the turn, so the game takes that input before anything else.
    while (r.next < r.script->lines.size() && now >= r.dueUs)
        if (Carry(r.script->lines[r.next++])) return;
    if (r.next == r.script->lines.size() && now >= r.dueUs) {
        r.closed = true;
        r.closedUs = now;
        PlatformRequestClose();
    }
}

uint64_t NextDue(void*) {
    const Runner& r = TheRunner;
    return r.closed ? r.closedUs + CLOSE_GRACE_US : r.dueUs;
}

const headless::Driver ScriptDriver = {nullptr, Look, NextDue};

}  // namespace

bool ParseScript(const std::string& name, const std::string& text, Script* script, std::string* error) {
    script->name = name;
    script->lines.clear();
    std::istringstream in(text);
    std::string row;
    for (int number = 1; std::getline(in, row); ++number) {
        if (row.size() > SCRIPT_LINE_CHARS_MAX) {
            *error = name + ":" + std::to_string(number) + ": the line is longer than " +
                     std::to_string(SCRIPT_LINE_CHARS_MAX) + " characters";
            return false;
        }
        ScriptLine line;
        line.number = number;
        bool empty = false;
        std::string what;
        if (!ParseLine(row, &line, &empty, &what)) {
            *error = name + ":" + std::to_string(number) + ": " + what;
            return false;
        }
        if (!empty) script->lines.push_back(line);
    }
    return true;
}

bool LoadScript(const std::string& path, Script* script, std::string* error) {
    std::string text, why;
    if (!PlatformReadFile(path.c_str(), SCRIPT_BYTES_MAX, &text, &why)) {
        *error = path + ": cannot read the script: " + why;
        return false;
    }
    return ParseScript(path, text, script, error);
}

void StartScript(const Script& script, const Machine* machine) {
    TheRunner = Runner();
    TheRunner.script = &script;
    TheRunner.machine = machine;
    TheRunner.dueUs = headless::NowUs();
    headless::SetDriver(&ScriptDriver);
}
