// The contact sheet: every picture as the game will show it, for a person to
// look over after changing the art or the sounds.
#pragma once
#include <string>
#include <vector>

#include "image.h"

namespace art {

struct ReducedSet {
    Indexed machine, symbols, ladder, buttons, splash, lcd, lcdAlpha;
};

// Icons are read back from the PNG files given; sounds are every .wav in
// soundDir (none when it is empty or missing).
bool WriteContactSheet(const ReducedSet& set, const std::vector<std::string>& iconPaths, const std::string& soundDir,
                       const std::string& path);

}  // namespace art
