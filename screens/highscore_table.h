// The high-score table as a full-screen page: the twelve entries, best
// first, one of them picked out in black, and an "Exit" button.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

// Fades the screen out, draws the table with rank highlight (1 to 12, 0 for
// none) picked out, fades it in and waits for the player. Returns the
// PanelModalLoop result (1 for "Exit", PANEL_KEY_ for a device button, 0 when
// the program is quitting); 0 at once, drawing nothing, when the table
// cannot be read. Leaves the table on the screen: the caller fades it out.
int ShowHighScoreTable(Surface& screen, int32_t highlight);
// The text of one row: rank, name ("Empty" for none), score, 26 characters
// for a name of up to 12 letters and a score of up to six digits.
void FormatHighScoreRow(char* text, int size, int rank, const char* name, int32_t score);
