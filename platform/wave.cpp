#include "platform/wave.h"

#include <cstdio>
#include <cstring>

static uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
static uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint64_t WaveInfo::DurationUs() const {
    const uint64_t frameBytes = static_cast<uint64_t>(channels) * (bitsPerSample / 8);
    if (!sampleRate || !frameBytes) return 0;
    return static_cast<uint64_t>(dataBytes) / frameBytes * 1000000 / sampleRate;
}

bool ReadWaveInfo(const char* path, WaveInfo* info) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    unsigned char riff[12];
    bool haveFormat = false, ok = false;
    if (std::fread(riff, 1, 12, f) == 12 && !std::memcmp(riff, "RIFF", 4) && !std::memcmp(riff + 8, "WAVE", 4)) {
        unsigned char chunk[8];
        while (std::fread(chunk, 1, 8, f) == 8) {
            const uint32_t size = Le32(chunk + 4);
            if (!std::memcmp(chunk, "fmt ", 4) && size >= 16) {
                unsigned char fmt[16];
                if (std::fread(fmt, 1, 16, f) != 16) break;
                if (Le16(fmt) != 1) break;  // PCM only
                info->channels = Le16(fmt + 2);
                info->sampleRate = Le32(fmt + 4);
                info->bitsPerSample = Le16(fmt + 14);
                haveFormat = info->channels && info->sampleRate && info->bitsPerSample >= 8;
                if (std::fseek(f, static_cast<long>(size - 16 + (size & 1)), SEEK_CUR)) break;
            } else if (!std::memcmp(chunk, "data", 4)) {
                info->dataBytes = size;
                ok = haveFormat;
                break;
            } else if (std::fseek(f, static_cast<long>(size + (size & 1)), SEEK_CUR)) {
                break;
            }
        }
    }
    std::fclose(f);
    return ok;
}
