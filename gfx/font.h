// The built-in dot-matrix font: block capitals, seven-segment digits and a
// little punctuation, 7 x 7 dots in an 8 x 9 cell, drawn dot by dot in one
// colour over what is there (unlit dots are transparent). Upper and lower
// case look the same; a character without a glyph is a blank cell.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

constexpr int32_t TEXT_CENTRE = -1;  // as x or y: centre the text on that axis

constexpr int GLYPH_SLOTS = 53;
constexpr int GLYPH_ROWS = 7;
constexpr int GLYPH_BLANK = 44;  // the slot of the space

// Builds the glyph table; once at start-up, before any text is drawn.
void BuildFont();
// Copies seven rows of "o" (lit) and ":" (unlit) dots into a slot.
void SetGlyph(int slot, const char* r0, const char* r1, const char* r2, const char* r3, const char* r4,
              const char* r5, const char* r6);
void FreeFont();

// Draws text with its first cell's top-left corner at (x, y). A line feed or
// carriage return starts a new line 9 pixels lower; a line that passes
// x = 230 wraps back to its start, moving down only while above y = 300.
// Dots that would fall outside the surface are left out. Returns the length
// of the text in bytes.
int DrawText(Surface& surface, const char* text, int32_t x, int32_t y, uint16_t colour);
