// The settings file: reading it tolerantly, writing it atomically; and the
// settings of this run, which the player's changes keep.
#include "platform/app/settings.h"

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/winapi/core_state.h"
#include "platform/winapi/kernel.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/os/text.h"

namespace {

constexpr size_t SETTINGS_BYTES_MAX = 64 * 1024;  // a settings file is a few lines

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

namespace platform {

PlatformSettings ParseSettings(const std::string& text, std::vector<std::string>* complaints) {
    PlatformSettings settings;
    size_t number = 0;
    // A byte-order mark that an editor may have put first is no part of
    // the first line.
    const size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (size_t from = start; from < text.size();) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(from, end - from));
        from = end + 1;
        ++number;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const size_t equals = line.find('=');
        const std::string name = Trim(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : Trim(line.substr(equals + 1));
        long n = 0;
        std::string wrong;
        if (equals == std::string::npos) {
            wrong = "is not name=value";
        } else if (name == "scale") {
            if (PlatformWholeNumber(value, 1, 8, &n)) settings.scale = static_cast<int>(n);
            else wrong = "needs a whole number from 1 to 8";
        } else if (name == "window") {
            const size_t x = value.find('x');
            long height = 0;
            if (x != std::string::npos && PlatformWholeNumber(value.substr(0, x), FRAME_WIDTH, 16384, &n) &&
                PlatformWholeNumber(value.substr(x + 1), FRAME_HEIGHT, 16384, &height)) {
                settings.width = static_cast<int>(n);
                settings.height = static_cast<int>(height);
            } else {
                wrong = "needs a size such as 700x900, at least 240x320";
            }
        } else if (name == "fullscreen" || name == "mute") {
            if (PlatformWholeNumber(value, 0, 1, &n)) (name == "mute" ? settings.mute : settings.fullscreen) = n == 1;
            else wrong = "needs 0 or 1";
        } else if (name == "volume") {
            if (PlatformWholeNumber(value, 0, 100, &n) && n % (100 / VOLUME_STEPS) == 0) settings.volume = static_cast<int>(n) / (100 / VOLUME_STEPS);
            else wrong = "needs 0, 10, 20 ... or 100";
        } else {
            wrong = "is no setting";
        }
        if (!wrong.empty() && complaints)
            complaints->push_back("line " + std::to_string(number) + " '" + PlatformPrintableLine(line, 40) + "' " + wrong);
    }
    return settings;
}

std::string FormatSettings(const PlatformSettings& settings) {
    std::string text = "# Vantaro's settings, written by the game whenever they change.\n";
    if (settings.scale > 0) text += "scale=" + std::to_string(settings.scale) + "\n";
    if (settings.width > 0)
        text += "window=" + std::to_string(settings.width) + "x" + std::to_string(settings.height) + "\n";
    text += std::string("fullscreen=") + (settings.fullscreen ? "1" : "0") + "\n";
    text += std::string("mute=") + (settings.mute ? "1" : "0") + "\n";
    text += "volume=" + std::to_string(settings.volume * (100 / VOLUME_STEPS)) + "\n";
    return text;
}

PlatformSettings LoadSettings(const std::string& path, bool* readable) {
    std::string text, error;
    *readable = true;
    if (!PlatformReadFile(path.c_str(), SETTINGS_BYTES_MAX, &text, &error)) {
        // A file that is there but cannot be read holds the player's
        // settings all the same: it is left as it is.
        const int err = errno;
        *readable = err == ENOENT || err == ENOTDIR;
        if (err != ENOENT)
            PlatformWarn("the settings in %s cannot be read (%s); using the defaults%s", path.c_str(), error.c_str(),
                         *readable ? "" : ", and leaving the file as it is");
        return PlatformSettings();
    }
    std::vector<std::string> complaints;
    const PlatformSettings settings = ParseSettings(text, &complaints);
    for (const std::string& complaint : complaints)
        PlatformWarn("%s: %s; using the default", path.c_str(), complaint.c_str());
    return settings;
}

bool SaveSettings(const std::string& path, const PlatformSettings& settings, std::string* error) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !PlatformMakeFolders(path.substr(0, slash), error)) return false;
    if (PlatformReplaceFile(path.c_str(), FormatSettings(settings), error)) return true;
    *error = path + ": " + *error;
    return false;
}

namespace {

struct Run {
    std::string path;  // empty: this run keeps no settings
    PlatformSettings kept;
    std::string text;  // the file's text as last read or written
    bool fullscreen = false;
    bool failed = false;  // a write failed, and was said
};

Run& R() {
    static Run run;
    return run;
}

void Keep() {
    Run& r = R();
    if (r.path.empty()) return;
    const std::string text = FormatSettings(r.kept);
    if (text == r.text) return;
    std::string error;
    if (!SaveSettings(r.path, r.kept, &error)) {
        if (!r.failed) PlatformWarn("the settings cannot be kept: %s", error.c_str());
        r.failed = true;
        return;
    }
    r.text = text;
    Current().settingsKept();
}

}  // namespace

void StartSettings(const PlatformOptions& options) {
    Run& r = R();
    r = Run();
    r.fullscreen = options.fullscreen;
    if (!options.keepSettings) return;
    bool readable = true;
    r.kept = LoadSettings(PlatformSettingsPath(), &readable);
    if (readable) r.path = PlatformSettingsPath();
    r.text = FormatSettings(r.kept);
    r.fullscreen = options.fullscreen || r.kept.fullscreen;
    Core().muted = options.mute || r.kept.mute;
    Core().volume = r.kept.volume;
    PlatformTrace("settings %s: scale %d, window %dx%d, full screen %s, sound %s, volume %d%%",
                  PlatformSettingsPath().c_str(), r.kept.scale, r.kept.width, r.kept.height,
                  r.kept.fullscreen ? "on" : "off", r.kept.mute ? "off" : "on", r.kept.volume * 100 / VOLUME_STEPS);
}

void StopSettings() { R() = Run(); }

const PlatformSettings& KeptSettings() { return R().kept; }
bool StartFullscreen() { return R().fullscreen; }

void KeepWindowSize(int width, int height) {
    // The size itself comes back; a scale kept before it goes.
    R().kept.scale = 0;
    R().kept.width = width;
    R().kept.height = height;
    Keep();
}

void KeepFullscreen(bool fullscreen) {
    R().kept.fullscreen = fullscreen;
    Keep();
}

void KeepSound(bool muteSwitched) {
    // Only what the player switched: a --mute of this run is not kept by
    // a change of the volume.
    if (muteSwitched) R().kept.mute = Core().muted;
    else R().kept.volume = Core().volume;
    Keep();
}

}  // namespace platform
