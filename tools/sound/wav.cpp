#include "wav.h"

#include <fstream>

namespace sound {
namespace {

// Little-endian byte by byte, so the file is the same on any host.
void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> EncodeWave(const std::vector<int16_t>& samples, int sampleRate) {
    constexpr uint32_t kChannels = 1;
    constexpr uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<uint32_t>(samples.size() * kBytesPerSample);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put(out, 16, 4);  // size of the PCM format block
    Put(out, 1, 2);   // integer PCM
    Put(out, kChannels, 2);
    Put(out, static_cast<uint32_t>(sampleRate), 4);
    Put(out, static_cast<uint32_t>(sampleRate) * kChannels * kBytesPerSample, 4);
    Put(out, kChannels * kBytesPerSample, 2);
    Put(out, 8 * kBytesPerSample, 2);
    PutTag(out, "data");
    Put(out, dataBytes, 4);
    for (int16_t s : samples) Put(out, static_cast<uint16_t>(s), 2);
    return out;
}

bool WriteWave(const std::filesystem::path& path, const std::vector<int16_t>& samples, int sampleRate) {
    const std::vector<uint8_t> bytes = EncodeWave(samples, sampleRate);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace sound
