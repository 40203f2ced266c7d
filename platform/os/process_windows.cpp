// The running process on Windows.
#include <windows.h>

#include <io.h>

#include <cstdio>

#include "platform/os/process.h"
#include "platform/os/text.h"

std::vector<std::string> PlatformArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments.push_back(platform::Narrow(wide[i]));
        LocalFree(wide);
    }
    return arguments;
}

void PlatformUseParentConsole() {
    const auto unset = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    if (!unset(STD_OUTPUT_HANDLE) && !unset(STD_ERROR_HANDLE)) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (unset(STD_OUTPUT_HANDLE)) std::freopen("CONOUT$", "w", stdout);
    if (unset(STD_ERROR_HANDLE)) std::freopen("CONOUT$", "w", stderr);
}

bool PlatformErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void PlatformKillProcess() {
    TerminateProcess(GetCurrentProcess(), 128 + 9);  // as a SIGKILL's status reads on Linux
    for (;;) Sleep(INFINITE);
}
