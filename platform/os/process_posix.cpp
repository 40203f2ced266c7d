// The running process on POSIX.
#include "platform/os/process.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

std::vector<std::string> PlatformArguments(int argc, char** argv) { return {argv, argv + argc}; }

void PlatformUseParentConsole() {}

bool PlatformErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void PlatformKillProcess() {
    std::raise(SIGKILL);
    std::abort();  // not reached: SIGKILL cannot be caught
}
