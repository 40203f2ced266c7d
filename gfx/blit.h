// Putting one Surface onto another: at its own size (Blit) or scaled
// (StretchBlit), clipped to the destination, in one of four modes. The key
// colour and the alpha always come from the source.
#pragma once
#include <cstdint>

#include "gfx/surface.h"

enum BlitMode : int {
    BLIT_COPY = 0,         // d = s
    BLIT_KEYED = 1,        // d = s unless s is the source's key
    BLIT_BLEND = 2,        // d = BlendColour(d, s, source alpha)
    BLIT_KEYED_BLEND = 3,  // blend, skipping the source's key
};

// Trims the rectangle (x, y, w, h) to the destination and moves the source
// origin by the same amounts. True while at least one pixel is left.
bool ClipToSurface(const Surface& destination, int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t& sx,
                   int32_t& sy);

// count pixels of one row in the given mode; any other mode changes nothing.
void BlitRow(uint16_t* destination, const uint16_t* source, int32_t count, int mode, uint16_t key, uint8_t alpha);

// Draws the w x h rectangle of source at (sx, sy) onto destination at (x, y).
// Only the low 8 bits of mode count. False when nothing is left after clipping.
bool Blit(Surface& destination, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& source, int32_t sx,
          int32_t sy, int mode);

// Draws the whole source scaled to w x h at (x, y), nearest neighbour with
// truncation. A rectangle that crosses an edge is drawn as the part of the
// unclipped picture that falls inside. False when nothing is left.
bool StretchBlit(Surface& destination, const Surface& source, int32_t x, int32_t y, int32_t w, int32_t h, int mode);
