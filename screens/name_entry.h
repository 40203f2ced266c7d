// Name entry for a new high score: one big letter in the middle of the
// screen, a mosaic of small reel symbols; "<<" and ">>" (or Left and Right)
// step through the alphabet with the cells flying from one letter's shape
// into the next, "Select" (Up) appends the letter, "Delete" (Down) removes
// the last, "OK" keeps the name and "Cancel" gives up. On a keyboard a typed
// letter is shown (with its morph) and appended, Backspace deletes and Enter
// is OK; M is a letter here, not the mute key.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

constexpr int NAME_LETTERS_MAX = 12;
constexpr int BIG_LETTER_CELLS = 24;  // cells of every pattern that are not empty

// 26 patterns of nine rows of five cells, A to Z, one after another: "*" a
// drawn cell, "$" an invisible one, a space an empty one.
extern const char BigLetterPatterns[26 * 45 + 1];
// The tiles of SymbolImage the cells use in turn.
extern const int16_t MosaicTiles[8][2];

// Edits name (room for 13 characters, zero-terminated) in place. 1 for OK,
// 2 for Cancel, 0 when the program is quitting; the screen is faded out to
// black on return.
int EnterName(Surface& screen, char* name);
// The letter 0 to 25 as a mosaic in the 100 x 180 box at (x, y).
void DrawBigLetter(Surface& screen, int32_t x, int32_t y, int letter);
// The frames of the change from one letter to the other, each presented;
// the new letter itself is left for the caller to draw.
void MorphBigLetter(Surface& screen, int32_t x, int32_t y, int from, int to);
