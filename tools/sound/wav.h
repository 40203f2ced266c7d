// RIFF WAVE files as the game reads them: 16-bit PCM, mono, with the
// canonical 44-byte header (no extra chunks).
#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

namespace sound {

std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples, int sampleRate);
// False when the file cannot be written.
bool WriteWave(const std::filesystem::path& path, const std::vector<int16_t>& samples, int sampleRate);

}  // namespace sound
