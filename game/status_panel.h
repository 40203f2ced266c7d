// The six counters under the reels, each a white label over red LCD digits.
#pragma once
#include "game/machine.h"

// Redraws every field in place into the back buffer; presents nothing.
void DrawStatusPanel(Machine& machine);
