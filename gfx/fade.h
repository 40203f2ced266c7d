// Full-screen transitions: the picture in the back buffer fades to a flat
// colour, or in from one, presenting every intermediate frame.
#pragma once
#include "gfx/surface.h"

// On return the surface holds the flat colour, as does the screen. step is
// the alpha change per frame, 1 to 255.
void FadeOut(Surface& surface, uint16_t colour, int step);
// On return the surface holds its picture again, as does the screen.
void FadeIn(Surface& surface, uint16_t colour, int step);
