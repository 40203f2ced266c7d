// Writing a frame as a PNG file, with libpng, the same bytes on every build
// (desktop, page) of the same frame.
//
// What it deliberately does not do: read PNG files, or write any other
// pixel format than the frame's.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// width x height RGB565 pixels as an 8-bit RGB PNG; each channel is widened
// by repeating its top bits, so white stays white. The same pixels make the
// same bytes, whether they go to a file or to memory.
bool EncodePng565(const uint16_t* pixels, int width, int height, std::string* png);
bool WritePng565(const char* path, const uint16_t* pixels, int width, int height, std::string* error);

}  // namespace platform
