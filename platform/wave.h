// What a PCM wave file holds, read from its header.
#pragma once
#include <cstdint>

struct WaveInfo {
    uint32_t sampleRate;
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t dataBytes;
    uint64_t DurationUs() const;
};

// False for a missing file or one that is not uncompressed PCM.
bool ReadWaveInfo(const char* path, WaveInfo* info);
