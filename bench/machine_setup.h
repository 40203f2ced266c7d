// The machine as the frame benchmarks draw it (machine_bench, frames).
#pragma once
#include "game/machine.h"
#include "game/reels.h"

// The game as start-up leaves it: the headless platform, the three
// pictures (from VANTARO_SOURCE_DIR), the main window created (which lays
// out the buttons and draws the whole machine), then a game with some money
// in every counter. Ends the program when that cannot be done.
Machine& BenchMachine();

// Every reel moving, each at its own phase, with far to go; held: which
// reels stand still, faded, as in a spin with holds.
void StartMoving(ReelSet& reels, unsigned held);

// One frame of a spin: the four reel windows drawn, the reel area
// presented, every reel stepped (and never let arrive, as the stop sound
// belongs to no frame).
void SpinFrame(Machine& machine, ReelSet& reels);
