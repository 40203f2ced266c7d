// Bringing the platform up and down, the backend chosen, and what the
// platform says on stderr.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/app/instance.h"
#include "platform/app/settings.h"
#include "platform/app/signals.h"
#include "platform/codec/png.h"
#include "platform/winapi/core_state.h"

namespace platform {

// PlatformSelect may run before ordinary static objects are built, so the
// state it touches is constant-initialised or built on first use.
static const Backend* Chosen = &HeadlessBackend;
static bool Running = false;
static PlatformOptions& Options() {
    static PlatformOptions options;
    return options;
}

const Backend& Current() { return *Chosen; }

}  // namespace platform

using namespace platform;

void PlatformSelect(const PlatformOptions& options) {
    Options() = options;
    Chosen = options.backend == BackendKind::Sdl ? &SdlBackend : &HeadlessBackend;
    Chosen->select(options);
}

bool PlatformInit(std::string* error) {
    ResetCore();
    Core().muted = Options().mute;
    StartSettings(Options());
    CatchCloseSignals();
    if (!Chosen->init(Options(), error)) {
        ReleaseCloseSignals();
        StopSettings();
        return false;
    }
    Running = true;
    return true;
}

void PlatformShutdown() {
    if (!Running) return;
    Running = false;
    Chosen->shutdown();
    InstanceRelease();
    ReleaseCloseSignals();
    StopSettings();
}

const PlatformOptions& PlatformCurrentOptions() { return Options(); }

bool PlatformFramePng(std::string* png) {
    std::vector<uint16_t> frame(FRAME_WIDTH * FRAME_HEIGHT);
    Chosen->shownFrame(frame.data());
    return EncodePng565(frame.data(), FRAME_WIDTH, FRAME_HEIGHT, png);
}

// One line on stderr: the prefix, then the formatted text.
static void SayLine(const char* prefix, const char* format, std::va_list args) {
    std::fputs(prefix, stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

void PlatformWarn(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    SayLine("vantaro: ", format, args);
    va_end(args);
}

void PlatformTrace(const char* format, ...) {
    static const bool enabled = std::getenv("VANTARO_TRACE") != nullptr;
    if (!enabled) return;
    std::va_list args;
    va_start(args, format);
    SayLine("vantaro: trace: ", format, args);
    va_end(args);
}

HINSTANCE PlatformModule() {
    static const HINSTANCE module = reinterpret_cast<HINSTANCE>(&Chosen);
    return module;
}
