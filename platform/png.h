// Writing a frame as a PNG file.
#pragma once
#include <cstdint>
#include <string>

// Writes width x height RGB565 pixels as an 8-bit RGB PNG; each channel is
// widened by repeating its top bits, so white stays white.
bool WritePng565(const char* path, const uint16_t* pixels, int width, int height, std::string* error);
