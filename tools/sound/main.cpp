// vantaro_sound OUTDIR: synthesises the game's sounds into OUTDIR as wave
// files. The output depends on nothing but this program, so running it
// again reproduces the committed files byte for byte.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "sounds.h"
#include "synth.h"
#include "wav.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantaro_sound OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "vantaro_sound: cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    try {
        for (const sound::Sound& s : sound::MakeSounds()) {
            const std::filesystem::path path = dir / s.file;
            if (!sound::WriteWave(path, s.samples, sound::kSampleRate)) {
                std::fprintf(stderr, "vantaro_sound: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantaro_sound: %s\n", e.what());
        return 1;
    }
    return 0;
}
