// The offers after a spin (holds, nudges, the F flag that keeps the feature
// count), the four buttons under the reels, and the enabled state of every
// button of the machine.
#pragma once
#include "game/machine.h"

// After a spin: releases the holds, may offer holds, nudges or the F flag
// (none while a prize waits for the gamble), redraws, presents and flashes.
void OfferFeatures(Machine& machine);
// Labels and enabled states of the nine buttons from the counters, then the
// panel drawn into the back buffer.
void UpdateButtons(Machine& machine);
void FlashFeatureButtons(Machine& machine);
// HOLD/NUDGE of a reel 0..3: nudges it while nudges are left, else toggles
// its hold.
void HoldOrNudge(Machine& machine, int reel);
void ToggleHold(Machine& machine, int reel);
void Nudge(Machine& machine, int reel);
// Moves one reel by one symbol in its own direction, presenting each frame.
void NudgeReel(ReelSet& reels, Surface& screen, int reel);
