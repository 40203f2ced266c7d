// Shared helpers of the tests: a fresh headless platform, scratch folders,
// and running the real game binary.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/winapi/win.h"

// Selects and starts the headless backend afresh (virtual clock at
// startTick), RGB565 colours.
void StartHeadless(uint32_t startTick = 1000000);

// A new empty folder under the system's temporary folder.
std::string MakeTempFolder();
// The test program's own data folder (VANTARO_DATA_DIR, set as it starts):
// tests that point the variable elsewhere put it back to this.
const std::string& TestDataFolder();
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::vector<std::string> ListFolder(const std::string& path);

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};
// Runs a program with extra environment entries ("NAME=value"), waiting at
// most timeoutSeconds. With a signal, sends it once the program's stderr
// holds signalWhen (a line it writes when it has got where the signal is
// meant to find it).
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
              int timeoutSeconds = 120, const std::string& signalWhen = "", int signal = 0);
// The game binary, copied into folder (so that it finds Images/ and Sounds/
// beside itself there), without its pictures and sounds.
std::string CopyGameInto(const std::string& folder);

// The canonical 44-byte header of a mono 16-bit PCM wave.
std::string WaveHeader(uint32_t rate, uint32_t dataBytes);

// The 0xRRGGBB pixels of a 240 x 320 PNG; none when it cannot be read or is
// of another size.
std::vector<uint32_t> ReadPng(const std::string& path);

// A surface of w x h filled by f(x, y).
template <typename F>
void Paint(Surface& s, int w, int h, F f) {
    s.Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.PutPixel(x, y, static_cast<uint16_t>(f(x, y)));
}
