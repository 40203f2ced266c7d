// What a 3-second Delay costs on the SDL backend with the game's window
// open: CPU time over wall time, printed as a percentage of one core. Needs a
// display (run it under Xvfb on a server).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "gfx/delay.h"
#include "platform/platform.h"
#include "platform/winapi/win.h"

static double CpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int main() {
    PlatformOptions options;
    options.mute = true;
    PlatformSelect(options);
    std::string error;
    if (!PlatformInit(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = L"DELAY";
    RegisterClassW(&wc);
    CreateWindowExW(0, L"DELAY", L"Delay", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    Delay(500);  // let the window settle

    const double cpu = CpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    Delay(3000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    const double used = CpuSeconds() - cpu;
    std::printf("Delay(3000): %.3f s of wall time, %.4f s of CPU: %.2f %% of a core\n", seconds, used,
                100 * used / seconds);
    PlatformShutdown();
    return 0;
}
