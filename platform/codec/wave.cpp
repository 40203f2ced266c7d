#include "platform/codec/wave.h"

#include <cstring>

#include "platform/winapi/kernel.h"
#include "platform/os/files.h"

namespace platform {

static uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
static uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint64_t WaveInfo::DurationUs() const {
    const uint64_t frameBytes = static_cast<uint64_t>(channels) * (bitsPerSample / 8);
    if (!sampleRate || !frameBytes) return 0;
    return static_cast<uint64_t>(dataBytes) / frameBytes * 1000000 / sampleRate;
}

bool ReadWaveFile(const char* path, std::string* data, std::string* error) {
    return PlatformReadFile(path, MAX_WAVE_FILE_BYTES, data, error);
}

bool ReadWaveInfo(const char* path, WaveInfo* info) {
    std::string data, error;
    if (!ReadWaveFile(path, &data, &error)) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
    const size_t size = data.size();
    if (size < 12 || std::memcmp(p, "RIFF", 4) || std::memcmp(p + 8, "WAVE", 4)) return false;
    bool haveFormat = false;
    // Chunks one after another, each padded to an even length.
    for (size_t at = 12; size - at >= 8;) {
        const unsigned char* chunk = p + at;
        const uint32_t chunkSize = Le32(chunk + 4);
        if (!std::memcmp(chunk, "data", 4)) {
            info->dataBytes = chunkSize;
            return haveFormat;
        }
        if (!std::memcmp(chunk, "fmt ", 4) && chunkSize >= 16) {
            if (size - at - 8 < 16) return false;
            const unsigned char* fmt = chunk + 8;
            if (Le16(fmt) != 1) return false;  // PCM only
            info->channels = Le16(fmt + 2);
            info->sampleRate = Le32(fmt + 4);
            info->bitsPerSample = Le16(fmt + 14);
            haveFormat = info->channels && info->sampleRate && info->bitsPerSample >= 8;
        }
        const uint64_t next = at + 8 + static_cast<uint64_t>(chunkSize) + (chunkSize & 1);
        if (next > size) return false;
        at = static_cast<size_t>(next);
    }
    return false;
}

}  // namespace platform
