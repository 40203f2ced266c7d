// The standard library's random numbers as the GNU C library makes them
// (rand and srand: its additive feedback generator, x[i] = x[i-3] + x[i-31]
// over 31 words, the lowest bit dropped). The game draws every random
// number from rand(), seeded from the tick count; a build whose C library
// draws them otherwise (the browser's) uses this one instead, so that the
// same seed deals the same games everywhere.
//
// What it deliberately does not do: thread safety, or any other function of
// the C library's.
#pragma once
#include <cstdint>

namespace platform {

struct GlibcRandom {
    int32_t state[31];
    int front = 3;  // where the next sum is kept
    int rear = 0;

    explicit GlibcRandom(uint32_t seed = 1) { Seed(seed); }
    void Seed(uint32_t seed);
    int32_t Next();  // 0 to 2147483647
};

}  // namespace platform
