// The four reels: each a strip of ten symbols seen through a window of the
// machine, three symbols at a time.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

struct Reel {
    int32_t direction;  // 0: the strip moves up (position grows); else down
    uint8_t speed;      // pixels per frame
    uint8_t target;     // symbol steps to travel in this movement
    uint8_t done;       // symbol steps travelled; at rest when done >= target
    int32_t position;   // strip index 0..9 on the win line
    int32_t offset;     // pixel shift while moving, -49..49; 0 at rest
    int32_t held;       // stays still in the next spin
};

constexpr int REEL_COUNT = 4;
constexpr int STRIP_LENGTH = 10;
constexpr int SYMBOL_COUNT = 12;
constexpr int SYMBOL_SIZE = 50;  // a symbol tile is 50 x 50
constexpr uint8_t SYMBOL_CHERRY = 4;
constexpr uint8_t SYMBOL_ANY = 255;  // in the pay table: any symbol

// The symbols of each reel, strip index 0 to 9. Every strip holds each of
// 0, 1, 2, 4, 5, 7, 8, 9, 10 and 11 once; 3 and 6 stand on none.
extern const uint8_t ReelStrips[REEL_COUNT][STRIP_LENGTH];
// Top-left corners of the twelve tiles in SymbolImage, four to a row.
extern const int16_t SymbolTiles[SYMBOL_COUNT][2];

// The reel windows of the machine: 50 x 150 from (REEL_LEFT + REEL_PITCH * i,
// REEL_TOP), the win line across their middle row.
constexpr int REEL_LEFT = 8;
constexpr int REEL_PITCH = 58;
constexpr int REEL_TOP = 10;
constexpr int REEL_WIDTH = 50;
constexpr int REEL_HEIGHT = 150;

// Every reel at rest on a random position (the random generator is not yet
// seeded when the machine is built, so the first positions are always the
// same), reels 1 and 3 moving down.
struct ReelSet {
    Reel reel[REEL_COUNT];
    ReelSet();
};

// A strip index brought back into 0..9 (arguments from -10 upwards).
int32_t WrapIndex(int32_t x);

// One frame of one reel's movement; 1 if it moved. The reel that comes to
// rest in this frame plays the stop sound; a held reel never moves.
int StepReel(Reel& reel);
// Steps reels 0 to 3 in order; the number that moved.
int StepAll(ReelSet& reels);
// The first strip index of the symbol on that reel, 0 when it has none.
int FindSymbol(int reel, int symbol);
// The symbol at a strip index of a reel, wrapping the index.
uint8_t SymbolAt(int reel, int32_t index);
// The four reel windows into the back buffer, held reels faded; presents
// nothing. Draws from pictures of the strips made from SymbolImage, made
// again when SymbolImage's pixels change.
void DrawReels(const ReelSet& reels, Surface& screen);
// Makes the strip pictures from SymbolImage now (start-up does, after
// loading it); 0 if there is no SymbolImage or no memory for them.
int BuildReelStrips();
