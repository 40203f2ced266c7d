// SIGINT (Ctrl+C), SIGTERM (a polite kill, the session ending) and SIGHUP
// (the terminal closing) are close requests, as the window's close button
// is. The handler only notes the signal and writes a byte to a pipe; the
// platform turns the note into a close request at its next look at the
// queue, and the SDL backend watches the pipe so that a wait in the window
// system wakes up for it.
//
// The handlers are installed without SA_RESTART, so that a system call the
// program waits in returns EINTR and the loop around it looks again, and
// with SA_RESETHAND: a second signal of the same kind, when the first has
// not brought the program down, ends it the default way.
//
// A signal the program was started with ignored stays ignored: nohup starts
// it with SIGHUP ignored so that closing the terminal does not stop it, and
// a non-interactive shell starts a background job with SIGINT ignored. When
// the handlers are released, each signal gets back exactly the action it
// had before.
#include "platform/app/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

#include "platform/winapi/core.h"

namespace platform {

namespace {

constexpr int CLOSING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr size_t SIGNAL_COUNT = std::size(CLOSING_SIGNALS);

// What each signal did before the handlers went in; Caught while they are in.
struct sigaction Inherited[SIGNAL_COUNT];
bool Caught = false;

volatile std::sig_atomic_t FirstSignal = 0;
volatile std::sig_atomic_t Pending = 0;
int Pipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int saved = errno;
    if (!FirstSignal) FirstSignal = signal;
    Pending = 1;
    if (Pipe[1] >= 0) {
        const char byte = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t n = write(Pipe[1], &byte, 1);  // a full pipe already says enough
    }
    errno = saved;
}

}  // namespace

void CatchCloseSignals() {
    if (Pipe[0] < 0 && pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) Pipe[0] = Pipe[1] = -1;
    FirstSignal = 0;
    Pending = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (size_t i = 0; i < SIGNAL_COUNT; ++i) {
        if (!Caught) sigaction(CLOSING_SIGNALS[i], nullptr, &Inherited[i]);
        if (Inherited[i].sa_handler != SIG_IGN) sigaction(CLOSING_SIGNALS[i], &action, nullptr);
    }
    Caught = true;
}

void ReleaseCloseSignals() {
    if (!Caught) return;
    for (size_t i = 0; i < SIGNAL_COUNT; ++i) sigaction(CLOSING_SIGNALS[i], &Inherited[i], nullptr);
    Caught = false;
}

void TakeCloseSignal() {
    if (!Pending) return;
    Pending = 0;
    PlatformRequestClose();
}

int CloseSignalFd() { return Pipe[0]; }

}  // namespace platform

int PlatformCloseSignal() { return platform::FirstSignal; }

const char* PlatformCloseSignalName(int signal) {
    switch (signal) {
        case SIGINT: return "INT";
        case SIGTERM: return "TERM";
        case SIGHUP: return "HUP";
        default: return "?";
    }
}
