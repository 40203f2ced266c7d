// The gamble ladder: a full-screen reflex game in which a pending prize is
// doubled rung by rung, up to seven times, or lost. Two lights alternate,
// on the rung the player stands on and on the next one up; a tap on the
// climb button while the next rung is lit climbs, while the own rung is lit
// loses. Nothing in it is random.
#pragma once
#include <cstdint>

#include "game/machine.h"

constexpr int LADDER_RUNGS = 8;
constexpr int LADDER_CLIMBS = 7;
constexpr int LADDER_TILE = 80;  // tiles, cells and buttons are 80 x 80
constexpr int32_t LADDER_FIRST_FRAME_MS = 200;
constexpr int32_t LADDER_FRAME_STEP_MS = 20;  // each climb makes the lights faster

struct LadderRung {
    int16_t x, y;  // top-left corner of its cell
    int16_t pair;  // its dark and lit tiles
};
struct LadderTilePair {
    int16_t darkX, litX, darkY, litY;  // in "Images\climb.bmp"
};

// In climbing order: up the left column, across the top, down the right.
extern const LadderRung LadderRungs[LADDER_RUNGS];
extern const LadderTilePair LadderTilePairs[6];

// Plays one ladder game for the stake on the back buffer and returns what is
// won: 0 after a loss, the value held when the player collects (or the
// window is closed meanwhile, whose close request then still stands), 128
// times the stake at the top. Without its pictures it returns the stake
// untouched. On return the back buffer holds the machine again, faded in.
int32_t PlayGambleLadder(Machine& machine, int32_t stake);
