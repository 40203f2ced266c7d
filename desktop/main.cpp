// The program's entry: the command line, the platform, then the game.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/odds.h"
#include "platform/app/signals.h"
#include "platform/os/files.h"
#include "platform/os/process.h"
#include "platform/platform.h"
#include "desktop/odds_text.h"
#include "desktop/options.h"
#include "platform/winapi/kernel.h"
#include "shell/program.h"
#include "desktop/script.h"
#include "desktop/simulate.h"
#include "shell/winmain.h"

#ifndef VANTARO_VERSION
#define VANTARO_VERSION "0"
#endif

static GameOptions& Options() {
    static GameOptions options;
    return options;
}
static bool OptionsRead = false;

// A simulation without --data-dir keeps its (never written) high-score table
// in a fresh folder of its own, removed as it ends: it never reads or
// touches the player's.
struct ScratchFolder {
    std::string path;
    std::string error;
};
static ScratchFolder& Scratch() {
    static ScratchFolder scratch;
    return scratch;
}

static void RemoveScratchFolder() {
    if (Scratch().path.empty()) return;
    PlatformRemoveFolder(Scratch().path);
    Scratch().path.clear();
}

static void MakeScratchFolder() {
    std::string error;
    Scratch().path = PlatformMakeTempFolder("vantaro-simulate-", &error);
    if (Scratch().path.empty()) {
        Scratch().error = "cannot make a folder for the simulation's high-score table: " + error;
        return;
    }
    Options().platform.dataFolder = Scratch().path;
    std::atexit(RemoveScratchFolder);  // whichever way the program ends
}

static void ReadOptions(int argc, char** argv) {
    PlatformUseParentConsole();
    std::vector<std::string> arguments = PlatformArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    Options() = ParseOptions(static_cast<int>(arguments.size()), pointers.data());
    PlatformOptions& platform = Options().platform;
    const GameOptions& o = Options();
    if (o.error.empty() && !o.help && !o.version && o.simulate && platform.dataFolder.empty()) MakeScratchFolder();
    // One copy per user and data folder, and the player's settings kept.
    // Headless runs are automation: they neither take nor honour the
    // single-instance rule, and leave the settings alone.
    platform.singleInstance = platform.backend == BackendKind::Sdl;
    platform.keepSettings = platform.backend == BackendKind::Sdl;
    PlatformSelect(platform);
    OptionsRead = true;
}

// The program-wide objects read the clock while they are built (the new
// game seeds its random numbers from it), so the platform, and with it the
// headless clock's starting tick, is chosen before they exist. glibc hands
// the command line to constructors, and priority 101 runs ahead of them.
// (Windows hands constructors nothing: the command line is the system's.)
#ifdef _WIN32
__attribute__((constructor(101))) static void SelectPlatformEarly() { ReadOptions(0, nullptr); }
#else
__attribute__((constructor(101))) static void SelectPlatformEarly(int argc, char** argv, char**) {
    ReadOptions(argc, argv);
}
#endif

// A simulation failed: 4, after its message.
constexpr int SIMULATION_BROKE = 4;

static int RunSimulation(const GameOptions& options) {
    if (!Scratch().error.empty()) {
        std::fprintf(stderr, "vantaro: %s\n", Scratch().error.c_str());
        return 1;
    }
    std::string error;
    if (!PlatformInit(&error)) {
        std::fprintf(stderr, "vantaro: %s\n", error.c_str());
        RemoveScratchFolder();
        return 1;
    }
    SimulationSettings settings;
    settings.games = options.simulate;
    StrategyByName(options.strategy, &settings.strategy);
    settings.progress = PlatformErrorIsTerminal();
    SimulationResult result;
    const auto start = std::chrono::steady_clock::now();
    const int played = Simulate(settings, &result);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int signal = PlatformCloseSignal();
    PlatformShutdown();
    RemoveScratchFolder();
    const int32_t finished = static_cast<int32_t>(result.games.size());
    if (signal && finished < settings.games) {
        // Stopped from outside: what was played is still worth showing.
        std::fputs(SimulationText(settings, options.platform.startTick, result, seconds).c_str(), stdout);
        std::fprintf(stderr, "vantaro: the simulation was interrupted by SIG%s after %d of %d games\n",
                     PlatformCloseSignalName(signal), static_cast<int>(finished), static_cast<int>(settings.games));
        return 128 + signal;
    }
    if (!played && result.status != 0) return result.status;  // start-up failed; its box said why
    if (!played) {
        std::fprintf(stderr, "vantaro: the simulation stopped: %s\n", result.failure.c_str());
        return SIMULATION_BROKE;
    }
    std::fputs(SimulationText(settings, options.platform.startTick, result, seconds).c_str(), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (const int helper = PlatformBoxHelper(argc, argv); helper >= 0) return helper;
    if (!OptionsRead) ReadOptions(argc, argv);
    const GameOptions& options = Options();
    if (!options.error.empty()) {
        // What is wrong and where to read more, not the whole help.
        std::fprintf(stderr, "vantaro: %s\nTry 'vantaro --help'.\n", options.error.c_str());
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
    if (options.odds) {
        std::fputs(OddsText(PlainSpinOdds()).c_str(), stdout);
        return 0;
    }
    if (options.simulate) return RunSimulation(options);

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
    const int signal = PlatformCloseSignal();
    PlatformShutdown();
    // Closed by a signal: the game closed as for any close request, and the
    // status says it did not end of its own accord (nor did its script).
    return signal ? 128 + signal : status;
}
