// The few vector shapes of the game: straight lines, the outline of a
// rectangle (the border of every button) and the vertical colour ramp behind
// the full-screen pages. None of them clips: callers keep inside the Surface.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

// The pixels (x, y) to (x + length - 1, y); nothing when length is 0 or less.
void HLine(Surface& surface, int32_t x, int32_t y, int32_t length, uint16_t colour);
// The pixels (x, y) to (x, y + length - 1); nothing when length is 0 or less.
void VLine(Surface& surface, int32_t x, int32_t y, int32_t length, uint16_t colour);
// Outlines the rectangle with corners (x1, y1) and (x2, y2), both included,
// unlike FillRect, whose right and bottom edges are exclusive.
void FrameRect(Surface& surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour);
// Overwrites every row with a colour running from top towards bottom; the
// last row stops one step short of the bottom colour.
void VerticalGradient(Surface& surface, uint16_t top, uint16_t bottom);
