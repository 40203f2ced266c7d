// Shared helpers of the tests: a fresh headless platform, scratch folders,
// and running the real game binary.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/winapi/win.h"
#include "tests/system.h"

// Selects and starts the headless backend afresh (virtual clock at
// startTick), RGB565 colours.
void StartHeadless(uint32_t startTick = 1000000);

// The canonical 44-byte header of a mono 16-bit PCM wave.
std::string WaveHeader(uint32_t rate, uint32_t dataBytes);

// The 0xRRGGBB pixels of a 240 x 320 PNG; none when it cannot be read or is
// of another size.
std::vector<uint32_t> ReadPng(const std::string& path);

// A surface of w x h filled by f(x, y).
template <typename F>
void Paint(Surface& s, int w, int h, F f) {
    s.Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.PutPixel(x, y, static_cast<uint16_t>(f(x, y)));
}
