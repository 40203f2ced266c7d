// A spin frame and RedrawAll, timed the same way in whichever build runs
// it: the desktop's, or the browser's WebAssembly under node (web.mjs runs
// both and prints the ratio). Prints "NAME MICROSECONDS" lines, each the
// median of seven runs of about 0.2 s.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/machine_setup.h"

namespace {

template <typename Body>
double MedianUs(Body body) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        long n = 0;
        const auto start = Clock::now();
        auto now = start;
        do {
            for (int i = 0; i < 100; ++i) body();
            n += 100;
            now = Clock::now();
        } while (now - start < std::chrono::milliseconds(200));
        runs.push_back(std::chrono::duration<double, std::micro>(now - start).count() / static_cast<double>(n));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int main() {
    Machine& m = BenchMachine();
    ReelSet reels;
    StartMoving(reels, 0);
    std::printf("spin-frame %.3f\n", MedianUs([&] { SpinFrame(m, reels); }));
    std::printf("redraw-all %.3f\n", MedianUs([&] { RedrawAll(m); }));
    return 0;
}
