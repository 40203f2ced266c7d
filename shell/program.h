// The program-wide objects: built before the entry function runs, in this
// order, and destroyed after it returns, in the reverse order.
#pragma once
#include <cstdint>

#include "game/machine.h"
#include "gfx/surface.h"
#include "platform/winapi/gx.h"

extern Machine TheMachine;
extern Surface SymbolImage;   // "Images/fruit.bmp": the twelve symbol tiles
extern Surface LcdDigitFont;  // resource "LCD": the red seven-segment digits
extern Surface MachineImage;  // "Images/machine.bmp": the cabinet front

// Tuning values, fixed at start-up.
extern int32_t ReelStep;   // pixels a moving reel advances per frame
extern int32_t FadeStep;   // alpha step per frame of the fades
extern int32_t MorphStep;  // step per frame of the letter morph, 0 to 255

// Activation is not acted on until start-up has finished.
extern int32_t AppReady;
// The device buttons, read once at start-up.
extern GXKeyList GapiKeys;
