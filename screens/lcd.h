// The machine's two LCD fonts: red seven-segment digits for the counters,
// and the green letter strip on which messages scroll right to left.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

constexpr int LCD_DIGIT_WIDTH = 13;
constexpr int LCD_DIGIT_HEIGHT = 23;
constexpr int LCD_LETTER_WIDTH = 24;
constexpr int LCD_LETTER_HEIGHT = 41;
constexpr int LCD_MESSAGE_MAX = 235;

// One opaque 13 x 23 cell per character ("0"-"9", space, ".", "F"; anything
// else leaves its cell as it was), 13 pixels apart. 0 without drawing when
// the digit font is not loaded.
int DrawLcdDigits(Surface& surface, int32_t x, int32_t y, const char* text);
// Plays a message on a strip of cells at (x, y): the blank cells fade in, the
// text scrolls through one cell every 100 ms, the cells fade out. Presents as
// it goes and leaves the surface exactly as it found it. 0 without drawing
// for a text longer than LCD_MESSAGE_MAX, or when the letters cannot be had.
int ScrollLcdMessage(Surface& surface, int32_t x, int32_t y, int cells, const char* text);
