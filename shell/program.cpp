#include "shell/program.h"

// Constant-initialised: the values hold before any object below is built.
int32_t ReelStep = 10;
int32_t FadeStep = 50;
int32_t MorphStep = 20;
int32_t AppReady = 0;
GXKeyList GapiKeys = {};

// Built in this order; each registers its destructor as it is built.
Machine TheMachine;
Surface SymbolImage;
Surface LcdDigitFont;
Surface MachineImage;
