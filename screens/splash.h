// The title screen, shown once as the main window opens: the "SPLASH"
// picture for two seconds or, without it, a drawn title with the LCD strip
// asking for credits; then the machine fades in through black.
#pragma once
#include "game/machine.h"

void ShowSplash(Machine& machine);
