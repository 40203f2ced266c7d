// How long a spin lasts on screen at 60 presents a second, normal and
// RANDOM, through the game's own StartSpin and StartRandomSpin:
//   - over the whole distribution, every outcome of the random draws
//     equally likely (each found as a seed whose draws give it);
//   - over many seeded spins, the reels starting where a fresh ReelSet puts
//     them.
// RunReels draws and presents, then steps, until a step moves no reel; at
// 10 pixels a frame a symbol step is 5 frames, so a spin presents
// 5 x (largest step target) + 1 frames, which the run checks by stepping a
// sample of spins frame by frame.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/paytable.h"
#include "game/reels.h"
#include "game/spin.h"
#include "platform/platform.h"
#include "shell/program.h"

namespace {

constexpr double PRESENTS_PER_SECOND = 60;
constexpr int SEEDED_SPINS = 100000;

int LargestTarget(const ReelSet& reels) {
    int most = 0;
    for (const Reel& r : reels.reel) most = std::max(most, static_cast<int>(r.target));
    return most;
}

int Frames(const ReelSet& reels) { return 5 * LargestTarget(reels) + 1; }

// RunReels' loop without the drawing: the number of frames it presents.
int SteppedFrames(ReelSet reels) {
    int frames = 0;
    do {
        ++frames;
    } while (StepAll(reels));
    return frames;
}

void Report(const char* what, std::vector<int> frames) {
    std::sort(frames.begin(), frames.end());
    double sum = 0;
    for (int f : frames) sum += f;
    const size_t n = frames.size();
    const double mean = sum / static_cast<double>(n);
    auto at = [&](double q) { return frames[std::min(n - 1, static_cast<size_t>(q * static_cast<double>(n)))]; };
    std::printf("%-44s %7zu spins: %3d-%3d frames (%.2f-%.2f s), mean %.1f frames (%.3f s), median %d, 10-90 %% %d-%d\n",
                what, n, frames.front(), frames.back(), frames.front() / PRESENTS_PER_SECOND,
                frames.back() / PRESENTS_PER_SECOND, mean, mean / PRESENTS_PER_SECOND, at(0.5), at(0.1), at(0.9));
}

}  // namespace

int main() {
    PlatformOptions options;
    options.backend = BackendKind::Headless;
    options.mute = true;
    PlatformSelect(options);
    std::string error;
    if (!PlatformInit(&error)) {
        std::fprintf(stderr, "spin_length: %s\n", error.c_str());
        return 1;
    }
    ReelStep = 10;

    // Normal spins, every one of the 10^4 outcomes of the four draws: for
    // each, the first seed whose four draws give it.
    std::vector<unsigned> seedOf(10000, 0);
    int found = 0;
    for (unsigned seed = 1; found < 10000; ++seed) {
        std::srand(seed);
        int key = 0;
        for (int i = 0; i < REEL_COUNT; ++i) key = key * 10 + std::rand() % 10;
        if (!seedOf[key]) {
            seedOf[key] = seed;
            ++found;
        }
    }
    std::vector<int> frames;
    for (unsigned seed : seedOf) {
        ReelSet reels;
        std::srand(seed);
        StartSpin(reels);
        frames.push_back(Frames(reels));
    }
    Report("normal, every outcome once", frames);

    // RANDOM spins: every start position of the four reels with every row
    // of the pay table (a seed whose first draw picks that row).
    unsigned rowSeed[PAY_LINES] = {};
    found = 0;
    for (unsigned seed = 1; found < PAY_LINES; ++seed) {
        std::srand(seed);
        const int row = std::rand() % PAY_LINES;
        if (!rowSeed[row]) {
            rowSeed[row] = seed;
            ++found;
        }
    }
    frames.clear();
    for (int start = 0; start < 10000; ++start)
        for (unsigned seed : rowSeed) {
            ReelSet reels;
            for (int i = 0, s = start; i < REEL_COUNT; ++i, s /= 10) reels.reel[i].position = s % 10;
            std::srand(seed);
            StartRandomSpin(reels);
            frames.push_back(Frames(reels));
        }
    Report("RANDOM, every start and row once", frames);

    // Seeded: a fresh ReelSet (its start positions drawn too), then the spin.
    int checked = 0, wrong = 0;
    for (int random = 0; random < 2; ++random) {
        frames.clear();
        for (int seed = 1; seed <= SEEDED_SPINS; ++seed) {
            std::srand(static_cast<unsigned>(seed));
            ReelSet reels;
            if (random) StartRandomSpin(reels);
            else StartSpin(reels);
            frames.push_back(Frames(reels));
            if (seed <= 1000) {
                ++checked;
                wrong += SteppedFrames(reels) != frames.back();
            }
        }
        Report(random ? "RANDOM, seeds 1-100000" : "normal, seeds 1-100000", frames);
    }
    std::printf("5 x largest target + 1 against RunReels' stepping: %d of %d spins differ\n", wrong, checked);
    std::printf("(seconds = frames / 60; the first present to the last is one frame less)\n");
    return wrong ? 1 : 0;
}
