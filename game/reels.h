// The four reels: each a strip of ten symbols seen through a window of the
// machine, three symbols at a time.
#pragma once
#include <cstdint>

struct Reel {
    int32_t direction;  // 0: the strip moves up (position grows); else down
    uint8_t speed;      // pixels per frame
    uint8_t target;     // symbol steps to travel in this movement
    uint8_t done;       // symbol steps travelled; at rest when done >= target
    int32_t position;   // strip index 0..9 on the win line
    int32_t offset;     // pixel shift while moving, -49..49; 0 at rest
    int32_t held;       // stays still in the next spin
};

constexpr int REEL_COUNT = 4;

// Every reel at rest on a random position (the random generator is not yet
// seeded when the machine is built, so the first positions are always the
// same), reels 1 and 3 moving down.
struct ReelSet {
    Reel reel[REEL_COUNT];
    ReelSet();
};

// A strip index brought back into 0..9 (arguments from -10 upwards).
int32_t WrapIndex(int32_t x);
