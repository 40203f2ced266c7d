#include "game/reels.h"

#include <cstdlib>

#include "shell/program.h"

ReelSet::ReelSet() {
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reel[i];
        r.held = 0;
        r.direction = i % 2;
        r.speed = static_cast<uint8_t>(ReelStep);
        r.target = 0;
        r.done = 0;
        r.position = std::rand() % 10;
        r.offset = 0;
    }
}

int32_t WrapIndex(int32_t x) {
    if (x < 0) return x + 10;
    if (x < 10) return x;
    return x % 10;
}
