// What the machine pays, as a full-screen page: every straight line of the
// pay table the game evaluates with, and the two combinations.
#pragma once
#include "gfx/surface.h"

// Fades the screen out, shows the page until Exit or a device button, and
// fades it out again; the caller redraws.
void ShowPayTable(Surface& screen);
// Draws the page into the screen, without fading or waiting.
void DrawPayTable(Surface& screen);
