#include "shell/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* UsageText() {
    return "Usage: vantaro [OPTION]...\n"
           "A pub fruit machine: spin four reels, hold and nudge, bank or gamble your wins.\n"
           "\n"
           "  --scale N         draw the 240 x 320 machine N times as large (1 to 8)\n"
           "  --fullscreen      start in full screen (F11 switches)\n"
           "  --mute            no sound\n"
           "  --headless        run without a window, sound or real time (for automation)\n"
           "  --script FILE     with --headless: play the script FILE, then close\n"
           "  --start-tick N    with --headless: start the virtual clock at N (the random seed)\n"
           "  --help            show this help and exit\n"
           "  --version         show the version and exit\n"
           "\n"
           "Keys: mouse or touch press the buttons; H high scores; P pay table; Q or Esc\n"
           "abandon the game; Ctrl+Q first HOLD; Ctrl+A about; F11 full screen.\n"
           "High scores live in $VANTARO_DATA_DIR, else $XDG_DATA_HOME/vantaro,\n"
           "else ~/.local/share/vantaro.\n";
}

// A whole number from lo to hi; false for anything else.
static bool ParseNumber(const char* text, unsigned long long lo, unsigned long long hi, unsigned long long* value) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    *value = v;
    return true;
}

GameOptions ParseOptions(int argc, char** argv) {
    GameOptions o;
    bool startTickGiven = false;
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long n = 0;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--headless") {
            o.platform.backend = BackendKind::Headless;
        } else if (arg == "--fullscreen") {
            o.platform.fullscreen = true;
        } else if (arg == "--mute") {
            o.platform.mute = true;
        } else if (arg == "--scale") {
            if (!ParseNumber(next, 1, 8, &n)) o.error = "--scale needs a whole number from 1 to 8";
            o.platform.scale = static_cast<int>(n);
            ++i;
        } else if (arg == "--script") {
            if (!next || !*next) o.error = "--script needs a file name";
            else o.script = next;
            ++i;
        } else if (arg == "--start-tick") {
            if (!ParseNumber(next, 0, 0xFFFFFFFFull, &n)) o.error = "--start-tick needs a whole number from 0 to 4294967295";
            o.platform.startTick = static_cast<uint32_t>(n);
            startTickGiven = true;
            ++i;
        } else {
            o.error = "unknown option '" + arg + "'";
        }
    }
    if (o.error.empty() && o.platform.backend != BackendKind::Headless) {
        if (!o.script.empty()) o.error = "--script needs --headless";
        else if (startTickGiven) o.error = "--start-tick needs --headless";
    }
    return o;
}
