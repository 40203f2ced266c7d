#include "bench/machine_setup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "platform/winapi/gx.h"
#include "platform/platform.h"
#include "platform/winapi/kernel.h"
#include "shell/program.h"
#include "shell/winmain.h"

namespace {

constexpr int W = 240, H = 320;

bool SetUp() {
    PlatformOptions options;
    options.backend = BackendKind::Headless;
    PlatformSelect(options);
    std::string error;
    if (!PlatformInit(&error)) return false;
    // The game as it starts, but for the hand-over and the high-score table
    // (the benchmarks leave the player's alone), with the source's pictures.
    GameStart how;
    const std::string images = std::string(VANTARO_SOURCE_DIR) + "/Images";
    how.imagesFolder = images.c_str();
    how.handOver = false;
    how.highScores = false;
    int status = 0;
    if (!StartGame(PlatformModule(), how, &status)) return false;
    Machine& m = TheMachine;
    m.credit = 12;
    m.cash = 135;
    m.bank = 40;
    m.prize = 0;
    m.nudges = 3;
    m.featureCount = 9;
    return m.screen.pixels != nullptr;
}

}  // namespace

Machine& BenchMachine() {
    static const bool ready = SetUp();
    if (!ready) {
        std::fprintf(stderr, "bench: cannot set up the machine (pictures in %s/Images?)\n", VANTARO_SOURCE_DIR);
        std::exit(1);
    }
    return TheMachine;
}

void StartMoving(ReelSet& reels, unsigned held) {
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reels.reel[i];
        r.direction = i % 2;
        r.speed = static_cast<uint8_t>(ReelStep);
        r.target = 250;
        r.done = 0;
        r.position = (3 * i + 1) % STRIP_LENGTH;
        r.offset = (r.direction ? 1 : -1) * 10 * i;
        r.held = (held >> i) & 1;
    }
}

void SpinFrame(Machine& m, ReelSet& reels) {
    DrawReels(reels, m.screen);
    PresentRect(m.screen, 0, REEL_TOP, W, REEL_HEIGHT);
    StepAll(reels);
    for (Reel& r : reels.reel)
        if (r.done > 200) r.done = 0;
}
