// Games a second of the simulation, as `vantaro --simulate` plays them:
// whole games of each strategy through WinMain on the headless platform,
// with drawing off, then the same games (the same seed) with drawing on,
// which tells how much of a game's time goes to drawing. The best of a few
// runs counts, as other work on the machine only ever slows a run down.
//
//   vantaro_simulate_speed [GAMES [RUNS]]      (defaults 2000 and 3)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "desktop/simulate.h"

namespace {

constexpr double TARGET_GAMES_PER_SECOND = 500;
constexpr uint32_t SEED = 1000000;

// Seconds for one simulation of the games from a fresh platform; exits on
// a failure.
double TimeOnce(Strategy strategy, bool drawing, int32_t games) {
    PlatformOptions options;
    options.backend = BackendKind::Headless;
    options.startTick = SEED;
    PlatformSelect(options);
    std::string error;
    if (!PlatformInit(&error)) {
        std::fprintf(stderr, "simulate_speed: %s\n", error.c_str());
        std::exit(1);
    }
    SimulationSettings settings;
    settings.games = games;
    settings.strategy = strategy;
    settings.drawing = drawing;
    SimulationResult result;
    const auto start = std::chrono::steady_clock::now();
    const int played = Simulate(settings, &result);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PlatformShutdown();
    if (!played) {
        std::fprintf(stderr, "simulate_speed: %s\n", result.failure.c_str());
        std::exit(1);
    }
    return seconds;
}

double Best(Strategy strategy, bool drawing, int32_t games, int runs) {
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        const double s = TimeOnce(strategy, drawing, games);
        if (i == 0 || s < best) best = s;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    // The data folder for the (never written) high-score table: the one
    // the environment names, else a fresh one.
    char folder[] = "/tmp/vantaro-bench-XXXXXX";
    const bool ownFolder = !std::getenv("VANTARO_DATA_DIR");
    if (ownFolder) {
        if (!mkdtemp(folder)) return 1;
        setenv("VANTARO_DATA_DIR", folder, 1);
    }
    const int32_t games = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (games < 1 || runs < 1) {
        std::fprintf(stderr, "usage: vantaro_simulate_speed [GAMES [RUNS]]\n");
        return 2;
    }
    std::printf("%d games a run, seed %u, best of %d runs\n\n", static_cast<int>(games), SEED, runs);
    std::printf("  %-8s %16s %16s %22s\n", "strategy", "drawing off", "drawing on", "of which drawing");
    bool met = true;
    for (Strategy strategy : {Strategy::Collect, Strategy::Gamble}) {
        const double off = Best(strategy, false, games, runs);
        const double on = Best(strategy, true, games, runs);
        std::printf("  %-8s %10.0f /s %12.0f /s %21.1f %%\n", StrategyName(strategy), games / off, games / on,
                    100 * (on - off) / on);
        if (strategy == Strategy::Collect) met = games / off >= TARGET_GAMES_PER_SECOND;
    }
    std::printf("\nTarget: collect, drawing off, at least %.0f games a second: %s\n", TARGET_GAMES_PER_SECOND,
                met ? "met" : "MISSED");
    if (ownFolder) {
        unlink((std::string(folder) + "/vantarohs.dat").c_str());
        rmdir(folder);
    }
    return 0;
}
