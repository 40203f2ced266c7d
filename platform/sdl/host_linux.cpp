// The SDL backend as a program of a Linux desktop: the drivers for the
// desktop's display and sound, the screensaver, the single instance,
// closing signals, the display going away, and boxes shown by a helper
// process. (The window itself is host_window.cpp's, as on Windows.) (desktop/ at the top of the
// tree is the desktop program itself, its command line and entry; this is
// where the SDL backend serves it.)
#include <SDL.h>
#include <SDL_syswm.h>
#include <png.h>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/app/instance.h"
#include "platform/app/signals.h"
#include "platform/winapi/core.h"
#include "platform/sdl/host.h"

namespace {

// A closing signal must wake a wait in the window system, which the
// signal's own handler cannot do: this thread turns each byte of the signal
// pipe into an SDL event.
struct SignalWatch {
    std::thread thread;
    int stop[2] = {-1, -1};
    Uint32 wakeEvent = 0;
};
SignalWatch Watch;

void WatchSignals() {
    for (;;) {
        pollfd fds[2] = {{platform::CloseSignalFd(), POLLIN, 0}, {Watch.stop[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        char bytes[16];
        while (read(fds[0].fd, bytes, sizeof bytes) > 0) {
        }
        SDL_Event e = {};
        e.type = Watch.wakeEvent;
        SDL_PushEvent(&e);
    }
}

// The X server going away (it ended, or the session did) breaks the
// connection in the middle of whatever Xlib was doing. Xlib then calls its
// I/O error handler, and ends the process with exit() when that returns,
// saying only that the connection broke. With the display gone there is
// nothing left to close, and nothing of the player's is half written (the
// high-score table is saved whole or not at all, on this same thread), so
// the handler says what happened and ends the process at once, before any
// exit-time destructor can free what SDL's sound thread still plays from.
int DisplayLost(void*) {
    const char* display = std::getenv("DISPLAY");
    PlatformWarn("lost the X display %s (its X server ended or broke the connection); the game ends",
                 display ? display : "");
    std::fflush(nullptr);
    _exit(1);
}

// SDL loads Xlib for its X11 driver; the handler goes to Xlib itself.
void CatchDisplayLoss() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!xlib) return;
    using Handler = int (*)(void* display);
    if (auto set = reinterpret_cast<Handler (*)(Handler)>(dlsym(xlib, "XSetIOErrorHandler"))) set(DisplayLost);
    dlclose(xlib);
}

// Boxes. SDL's own box blocks the calling thread until it is closed and on
// X11 shows it from a forked copy of the process, which keeps the game's
// window and single-instance socket alive if the game is killed meanwhile.
// So the box is shown by a helper process instead: this program again,
// started with BOX_HELPER as its first argument. The helper and whatever it
// starts end with the game, however the game ends.
constexpr const char* BOX_HELPER = "--platform-box-helper";

// The game's window as the window system knows it, so that the box can stay
// above it (on X11); 0 for none.
unsigned long NativeWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}

// The helper's side: SDL forks once more to show the box, and that process
// must not outlive the helper either.
pid_t BoxHelperPid = 0;

void DieWithBoxHelper() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != BoxHelperPid) _exit(1);  // the helper went before the line above
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// A sound card that plays: an ALSA playback device, /dev/snd/pcmC<card>D<device>p.
bool SoundCardThere() {
    DIR* dir = opendir("/dev/snd");
    if (!dir) return false;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        found = found || (name.rfind("pcmC", 0) == 0 && name.back() == 'p');
    }
    closedir(dir);
    return found;
}

// The sound drivers worth trying here, in SDL's own order: a sound server
// whose socket is there, the sound card or OSS device where the device files
// are. Trying one that is not there is not silent: without a card libasound
// prints a page of "ALSA lib confmisc.c:... cannot find card '0'" on stderr.
// Empty when there is nothing to play sound on.
std::string SoundDrivers() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* pipewireRuntime = std::getenv("PIPEWIRE_RUNTIME_DIR");
    const std::string run = runtime && *runtime ? runtime : "";
    const std::string pipewireRun = pipewireRuntime && *pipewireRuntime ? pipewireRuntime : run;
    std::string list;
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const std::string driver = SDL_GetAudioDriver(i);
        bool there = false;
        if (driver == "pulseaudio") there = Set("PULSE_SERVER") || (!run.empty() && Exists(run + "/pulse/native"));
        else if (driver == "pipewire")
            there = Set("PIPEWIRE_REMOTE") || (!pipewireRun.empty() && Exists(pipewireRun + "/pipewire-0"));
        else if (driver == "alsa") there = SoundCardThere();
        else if (driver == "dsp") there = Exists("/dev/dsp");
        if (there) list += (list.empty() ? "" : ",") + driver;
    }
    return list;
}

}  // namespace

extern "C" char** environ;

namespace sdlhost {

void PrepareVideo() {
    // The platform catches the closing signals itself (SIGHUP too).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Wayland is tried only where a compositor is named: otherwise its
    // library only complains on stderr.
    if (!Set("SDL_VIDEODRIVER") && !Set("WAYLAND_DISPLAY"))
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,kmsdrm", SDL_HINT_OVERRIDE);
    // Sound, which comes up after the video, likewise: only the drivers that
    // have something to play on are tried, unless SDL_AUDIODRIVER names some.
    // With none, the list names no driver at all ("none"): the sound stays
    // closed and the game plays silently, as it does on any failure to open it.
    if (!Set("SDL_AUDIODRIVER")) {
        std::string drivers = SoundDrivers();
        if (drivers.empty()) drivers = "none";
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, drivers.c_str(), SDL_HINT_OVERRIDE);
        PlatformTrace("sound drivers to try: %s", drivers.c_str());
    }
    // SDL keeps the screensaver off for as long as it has a window, even
    // with the game left idle at the machine for hours; the backend holds
    // it off only while the player plays.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}

std::string NoDisplay(const char* sdlError) {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return std::string("cannot open the Wayland display ") + wayland + " (" + sdlError + ")";
    if (x11 && *x11)
        return std::string("cannot open the X display ") + x11 + " (is its X server running, and may this user use it?)";
    return "no display found (DISPLAY and WAYLAND_DISPLAY are not set)";
}

void Start(const PlatformOptions& options, Uint32 wakeEvent, void (*onRequest)(const std::string& request)) {
    CatchDisplayLoss();
    // exit() from under the game (Xlib's own end of the program on an X
    // error it cannot go on from, as when another client destroys the
    // window) runs the exit-time destructors, and a std::thread's ends the
    // program with std::terminate while its thread runs: they stop first.
    [[maybe_unused]] static const bool stopAtExit = std::atexit([] { Stop(); }) == 0;
    Watch.wakeEvent = wakeEvent;
    if (platform::CloseSignalFd() >= 0 && pipe2(Watch.stop, O_CLOEXEC) == 0) Watch.thread = std::thread(WatchSignals);
    if (options.singleInstance) platform::InstanceClaim(platform::InstanceNameOfDataFolder(), onRequest);
}

void Stop() {
    platform::InstanceRelease();
    if (Watch.thread.joinable()) {
        const char stop = 1;
        while (write(Watch.stop[1], &stop, 1) < 0 && errno == EINTR) {
        }
        Watch.thread.join();
    }
    for (int& fd : Watch.stop) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

bool OpenBox(Box* box, bool error, const std::string& title, const std::string& text, SDL_Window* owner) {
    const std::string parent = std::to_string(getpid()), window = std::to_string(NativeWindow(owner));
    const char* argv[] = {"vantaro", BOX_HELPER, parent.c_str(), window.c_str(), error ? "error" : "info",
                          title.c_str(), text.c_str(), nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attr, 0);  // a group of its own, to be ended as one
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, "/proc/self/exe", nullptr, &attr, const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attr);
    if (failed) {
        PlatformWarn("cannot show a box: %s", std::strerror(failed));
        return false;
    }
    box->handle = pid;
    return true;
}

bool Closed(Box* box) {
    int status;
    return waitpid(static_cast<pid_t>(box->handle), &status, WNOHANG) == box->handle;
}

void Close(Box* box) {
    const pid_t pid = static_cast<pid_t>(box->handle);
    kill(-pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace sdlhost

int PlatformBoxHelper(int argc, char** argv) {
    if (argc != 7 || std::strcmp(argv[1], BOX_HELPER) != 0) return -1;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (std::to_string(getppid()) != argv[2]) return 1;  // the game went before the line above
    BoxHelperPid = getpid();
    pthread_atfork(nullptr, nullptr, DieWithBoxHelper);
    // The game's window as the box's owner, which the window system then
    // keeps the box above.
    SDL_Window* owner = nullptr;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");  // as the game's own window does
    const unsigned long window = std::strtoul(argv[3], nullptr, 10);
    if (window && SDL_Init(SDL_INIT_VIDEO) == 0)
        owner = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(window)));
    const Uint32 kind = std::strcmp(argv[4], "error") == 0 ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    const bool shown = SDL_ShowSimpleMessageBox(kind, argv[5], argv[6], owner) == 0;
    if (!shown) PlatformWarn("cannot show the box \"%s\": %s", argv[5], SDL_GetError());
    return shown ? 0 : 1;
}
