// Pictures as the generator holds them: full-colour pixels read back from
// cairo, then reduced to a 256-entry palette and written as the 8-bit BMP
// files the game loads.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <cairo.h>

#include "layout.h"

namespace art {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row 0 at the top

    Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Indexed {
    int width = 0;
    int height = 0;
    std::array<Rgb, 256> palette{};
    std::vector<uint8_t> pixels;  // row 0 at the top

    uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    Rgb ColourAt(int x, int y) const { return palette[At(x, y)]; }
};

// How the palette treats the colour the game will key on.
enum class KeyMode {
    // Exact colours, no key handling (the LCD fonts).
    kNone,
    // Pure white is the key: near-white pixels become it, and no other
    // palette entry may truncate to it.
    kWhite,
    // The top-left pixel's colour is the key and no other pixel may share
    // it after truncation to RGB565, so a keyed blit cannot punch holes.
    kUniqueCorner,
};

Picture ReadSurface(cairo_surface_t* surface);
Indexed Quantize(const Picture& picture, KeyMode mode);
// Turns key pixels that a tile's border cannot reach through key pixels into
// a white just off the key (a picture reduced with KeyMode::kWhite), so no
// symbol is see-through where its shape encloses background, as between a
// cherry's stalks. Returns how many pixels it changed.
int SealKeyHoles(Indexed& image, int tileW, int tileH);
bool IsKeyish(Rgb c);
uint16_t To565(Rgb c);

bool WriteBmp(const Indexed& image, const std::string& path);
// The reduced picture back as full colour, for the contact sheet.
Picture Expand(const Indexed& image);

}  // namespace art
