// Palette bitmaps (uncompressed 8-bit BMP files, 8-bit and 4-bit bitmap
// resources) converted once into native Surfaces.
//
// The loaders validate what they read: a picture whose headers, sizes,
// palette or pixel data do not hold together, or that is not an
// uncompressed bottom-up palette picture of the accepted depth, is refused
// with false and the target Surface is left as it was. Nothing outside the
// data is ever read.
//
// The pictures the drawing takes tiles and whole screens from at fixed
// places (machine.bmp, fruit.bmp, climb.bmp, btns.bmp; the resources SPLASH,
// LCD, LCDALPHA) must also have the size of the pictures shipped with the
// game, or are refused the same way. They are known by file name (the last
// component of the path) or resource name, without regard to case; any
// other picture loads at any size.
#pragma once
#include <cstddef>
#include <cstdint>

#include "gfx/surface.h"
#include "platform/winapi/win.h"

// The number of palette entries an info header declares: colours used when
// a 40-byte header gives it, else 2, 16 or 256 by the bit count (0 for any
// other bit count).
uint16_t DibColourCount(const uint8_t* infoHeader);

// An 8-bit file with a 14-byte file header and a full 256-entry palette.
bool LoadBitmapFile(Surface& surface, const char* path);
// A bitmap resource compiled into the program, found by name: 8 bits with 256
// palette entries, or 4 bits with 16.
bool LoadBitmapResource(Surface& surface, HINSTANCE instance, const wchar_t* name);

// The two loaders' work on data already in memory (the whole file, or the
// resource), exposed for the fuzzers.
bool LoadBitmapFileData(Surface& surface, const uint8_t* data, size_t size);
bool LoadBitmapResourceData(Surface& surface, const uint8_t* data, size_t size);
