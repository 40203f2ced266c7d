#include "desktop/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "desktop/simulate.h"
#include "platform/winapi/kernel.h"
#include "platform/os/text.h"

const char* UsageText() {
    return "Usage: vantaro [OPTION]...\n"
           "A pub fruit machine: spin four reels, hold and nudge, bank or gamble your wins.\n"
           "\n"
           "  --scale N         draw the 240 x 320 machine N times as large (1 to 8)\n"
           "  --fullscreen      start in full screen (F11 switches)\n"
           "  --mute            no sound\n"
           "  --data-dir DIR    keep the high scores in DIR\n"
           "  --headless        run without a window, sound or real time (for automation)\n"
           "  --script FILE     with --headless: play the script FILE, then close\n"
           "  --start-tick N    with --headless: start the virtual clock at N (the seed)\n"
           "  --odds            print the exact odds and return of a plain spin and exit\n"
           "  --simulate N      play N games headless (1 to 1000000) and print the figures\n"
           "  --seed S          with --simulate: start the clock at S (default 1000000)\n"
           "  --strategy NAME   with --simulate: how to play, collect (default) or gamble\n"
           "  --help            show this help and exit\n"
           "  --version         show the version and exit\n"
           "A value follows its option as the next word or after '=': --scale=3.\n"
           "\n"
           "Strategies: the player inserts a coin whenever there is no credit and cash\n"
           "remains, and spins; takes every nudge on reels 1, 2, 3, 4, 1, ... in turn; at a\n"
           "hold offer holds reel 1 and every reel showing reel 1's symbol (none if none\n"
           "does); presses COLLECT whenever the bank holds money; presses RANDOM only when\n"
           "it is the one button left (a gamble lost with the last money).\n"
           "collect banks every prize; gamble takes every prize offered for the gamble to\n"
           "the ladder, climbs one rung and collects. A simulation answers No to \"Save\n"
           "High Score?\" and, without --data-dir, keeps its table in a fresh folder.\n"
           "\n"
           "Keys: mouse or touch press the buttons; 1-4 HOLD/NUDGE; Space SPIN; C Coin;\n"
           "R RANDOM; G GAMBLE; Enter COLLECT; H high scores; P pay table; Q or Esc abandon\n"
           "the game; Ctrl+Q first HOLD; Ctrl+A about; M mute; - and = volume; F11 full\n"
#ifdef _WIN32
           "screen. Gamepad: A confirms, B goes back (see README.txt).\n"
           "\n"
           "The window's size and full screen, mute and the volume are kept from run to\n"
           "run in %APPDATA%\\Vantaro\\settings.ini; --scale, --fullscreen and --mute\n"
           "hold for one run and are not kept. High scores live in --data-dir, else\n"
           "%VANTARO_DATA_DIR%, else %APPDATA%\\Vantaro.\n";
#else
           "screen. Gamepad: A confirms, B goes back (see man 6 vantaro).\n"
           "\n"
           "The window's size and full screen, mute and the volume are kept from run to\n"
           "run in $XDG_CONFIG_HOME/vantaro/settings.ini (else ~/.config/vantaro/);\n"
           "--scale, --fullscreen and --mute hold for one run and are not kept.\n"
           "High scores live in --data-dir, else $VANTARO_DATA_DIR, else\n"
           "$XDG_DATA_HOME/vantaro, else ~/.local/share/vantaro.\n";
#endif
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

// The options that take no value.
static bool IsFlag(const std::string& option) {
    for (const char* flag : {"--help", "-h", "--version", "--headless", "--fullscreen", "--mute", "--odds"})
        if (option == flag) return true;
    return false;
}

GameOptions ParseOptions(int argc, char** argv) {
    GameOptions o;
    bool startTickGiven = false, seedGiven = false, strategyGiven = false;
    uint32_t seed = 0;
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        // "--name=value" is "--name value" in one word.
        const std::string word = argv[i];
        const size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        const bool attached = equals != std::string::npos;
        const std::string arg = word.substr(0, equals), attachedValue = attached ? word.substr(equals + 1) : "";
        if (attached && IsFlag(arg)) {
            o.error = arg + " takes no value";
            break;
        }
        // The option's value, taking the next word unless it came after '='.
        auto value = [&]() -> const char* {
            if (attached) return attachedValue.c_str();
            ++i;
            return i < argc ? argv[i] : nullptr;
        };
        // A name: not empty, and as a word of its own not looking like
        // another option ("--data-dir --mute" forgot the folder).
        auto name = [&](const char* text) { return text && *text && (attached || *text != '-'); };
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
            if (!ParseNumber(value(), 1, 8, &n)) o.error = "--scale needs a whole number from 1 to 8";
            o.platform.scale = static_cast<int>(n);
        } else if (arg == "--script") {
            const char* file = value();
            if (!name(file)) o.error = "--script needs a file name";
            else o.script = file;
        } else if (arg == "--data-dir") {
            const char* folder = value();
            if (!name(folder)) o.error = "--data-dir needs a folder";
            else o.platform.dataFolder = folder;
        } else if (arg == "--odds") {
            o.odds = true;
        } else if (arg == "--simulate") {
            if (!ParseNumber(value(), 1, SIMULATE_GAMES_MAX, &n))
                o.error = "--simulate needs a number of games from 1 to " + std::to_string(SIMULATE_GAMES_MAX);
            o.simulate = static_cast<int32_t>(n);
        } else if (arg == "--seed") {
            if (!ParseNumber(value(), 0, 0xFFFFFFFFull, &n))
                o.error = "--seed needs a whole number from 0 to 4294967295";
            seed = static_cast<uint32_t>(n);
            seedGiven = true;
        } else if (arg == "--strategy") {
            const char* chosen = value();
            Strategy strategy;
            if (!chosen || !StrategyByName(chosen, &strategy)) o.error = "--strategy needs collect or gamble";
            else o.strategy = chosen;
            strategyGiven = true;
        } else if (arg == "--start-tick") {
            if (!ParseNumber(value(), 0, 0xFFFFFFFFull, &n))
                o.error = "--start-tick needs a whole number from 0 to 4294967295";
            o.platform.startTick = static_cast<uint32_t>(n);
            startTickGiven = true;
        } else {
            o.error = "unknown option '" + PlatformPrintableLine(word) + "'";  // one line, whatever was typed
        }
    }
    if (!o.error.empty()) return o;
    if (o.simulate) {
        // A simulation plays headless, from its own starting tick.
        if (o.odds) o.error = "--odds and --simulate do not go together";
        else if (!o.script.empty()) o.error = "--script and --simulate do not go together";
        else if (startTickGiven) o.error = "--start-tick does not go with --simulate (it takes --seed)";
        o.platform.backend = BackendKind::Headless;
        if (seedGiven) o.platform.startTick = seed;
    } else if (seedGiven) {
        o.error = "--seed needs --simulate";
    } else if (strategyGiven) {
        o.error = "--strategy needs --simulate";
    } else if (o.platform.backend != BackendKind::Headless) {
        if (!o.script.empty()) o.error = "--script needs --headless";
        else if (startTickGiven) o.error = "--start-tick needs --headless";
    }
    return o;
}
