// Every picture of the game, drawn in full colour. Each Draw function returns
// the picture at the size the game expects; the caller reduces and writes it.
#pragma once
#include <string>

#include <cairo.h>

#include "image.h"

namespace art {

// The symbol ids with a meaning to the game or to other pictures.
enum Symbol : int {
    kLemon = 0,
    kOrange = 1,
    kPlum = 2,
    kMelon = 3,
    kCherry = 4,
    kGrapes = 5,
    kBell = 6,
    kSeven = 7,
    kBar1 = 8,
    kBar2 = 9,
    kBar3 = 10,
    kGem = 11,
};

// Draws one symbol into the 50 x 50 square the current transform maps
// (0, 0)-(50, 50) to.
void DrawSymbol(cairo_t* cr, int symbol);

Picture DrawSymbolSheet();
Picture DrawMachine();
Picture DrawLadderSheet();
Picture DrawButtonSheet();
Picture DrawSplash();
Picture DrawLcdDigits();
Picture DrawLcdLetters();
bool WriteIcon(int size, const std::string& path);

}  // namespace art
