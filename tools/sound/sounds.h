// The game's nine sounds, each made by its own recipe in sounds.cpp.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sound {

// Every sound peaks here, -3 dBFS, leaving the mixer some headroom.
inline constexpr double kPeak = 23197.0;

struct Sound {
    std::string file;              // name in the game's Sounds folder
    std::vector<int16_t> samples;  // mono, at kSampleRate
};

std::vector<Sound> MakeSounds();

}  // namespace sound
