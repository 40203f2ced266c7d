// What a PCM wave file holds, read from its header; and the reading of a
// wave file, for either backend.
//
// What it deliberately does not do: decode samples (SDL's loader does, on
// the SDL backend; the headless backend needs only the length).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

struct WaveInfo {
    uint32_t sampleRate;
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t dataBytes;
    uint64_t DurationUs() const;
};

// Far above any sound of the game (the longest is under 150 KiB).
constexpr size_t MAX_WAVE_FILE_BYTES = 4u << 20;

// The whole of a wave file: a regular file of at most MAX_WAVE_FILE_BYTES,
// read without ever waiting (a FIFO or a device in its place is refused at
// once). False with the reason in *error.
bool ReadWaveFile(const char* path, std::string* data, std::string* error);

// False for a file ReadWaveFile refuses or one that is not uncompressed PCM.
bool ReadWaveInfo(const char* path, WaveInfo* info);

}  // namespace platform
