// The program's entry: the command line, the platform, then the game.
#include <cstdio>

#include "platform/platform.h"
#include "shell/options.h"
#include "shell/program.h"
#include "shell/script.h"
#include "shell/winmain.h"

#ifndef VANTARO_VERSION
#define VANTARO_VERSION "0"
#endif

static GameOptions& Options() {
    static GameOptions options;
    return options;
}
static bool OptionsRead = false;

static void ReadOptions(int argc, char** argv) {
    Options() = ParseOptions(argc, argv);
    // One copy per user and data folder. Headless runs are automation: they
    // neither take nor honour the single-instance rule.
    if (Options().platform.backend == BackendKind::Sdl) Options().platform.instanceName = PlatformDataFolder();
    PlatformSelect(Options().platform);
    OptionsRead = true;
}

// The program-wide objects read the clock while they are built (the new
// game seeds its random numbers from it), so the platform, and with it the
// headless clock's starting tick, is chosen before they exist. glibc hands
// the command line to constructors, and priority 101 runs ahead of them.
__attribute__((constructor(101))) static void SelectPlatformEarly(int argc, char** argv, char**) {
    ReadOptions(argc, argv);
}

int main(int argc, char** argv) {
    if (!OptionsRead) ReadOptions(argc, argv);
    const GameOptions& options = Options();
    if (!options.error.empty()) {
        std::fprintf(stderr, "vantaro: %s\n\n%s", options.error.c_str(), UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vantaro %s\n", VANTARO_VERSION);
        return 0;
    }

    const bool headless = options.platform.backend == BackendKind::Headless;
    Script script;
    std::string error;
    if (headless && !options.script.empty() && !LoadScript(options.script, &script, &error)) {
        std::fprintf(stderr, "vantaro: %s\n", error.c_str());
        return 2;
    }
    if (!PlatformInit(&error)) {
        std::fprintf(stderr, "vantaro: %s\n", error.c_str());
        return 1;
    }
    if (headless) StartScript(script, &TheMachine);
    const int status = WinMain(PlatformModule(), nullptr, "", SW_SHOW);
    PlatformShutdown();
    return status;
}
