// One turn of the machine: the credit taken, the reels set moving and
// animated until they rest left to right, the result paid, the offers made.
#pragma once
#include "game/machine.h"

// random: the RANDOM feature, free, landing on a line of the pay table.
void Spin(Machine& machine, bool random);
// Step targets of a normal spin: reel 0 travels 10 to 19 symbols, each
// further reel 2 to 11 more than the one to its left.
void StartSpin(ReelSet& reels);
// Step targets that bring a random pay-table row onto the win line.
void StartRandomSpin(ReelSet& reels);
// Starts the reels and animates them, presenting the reel area only, until
// a frame in which none moved.
void RunReels(ReelSet& reels, Surface& screen, bool random);
