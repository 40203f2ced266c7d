// The player's settings, which outlive a run: the window's scale, full
// screen, and the sound's mute and volume. They live in one small text file,
// settings.ini in $XDG_CONFIG_HOME/vantaro (else ~/.config/vantaro; in a web
// page, in the browser's storage), one "name=value" line each:
//
//   window=700x900  the window's size, as the player left it
//   scale=3         the window's whole-number scale, 1 to 8 (an older
//                   file's; a window size comes back instead where both are)
//   fullscreen=0    1: the window starts in full screen
//   mute=0          1: the sound starts off
//   volume=80       the sound's volume in per cent, 0 to 100 in tens
//
// Lines starting with '#' or ';' and blank lines are comments. The file is
// read tolerantly: a line that is damaged, unknown or out of range is named
// on stderr and its setting keeps its default; a file that cannot be read is
// named and all of them do. It is written whole, to a temporary file renamed
// over the old one, whenever the player changes a setting.
//
// The rules of which settings a run keeps are here, above the backends: a
// backend only applies a scale, full screen and a gain, and says when the
// player changed one. What the command line asks for (--scale,
// --fullscreen, --mute) holds for the run and is never written. Only a run
// whose options keep settings (the player's program, the page) reads or
// writes the file; tests and automation leave it alone.
#pragma once
#include <string>
#include <vector>

#include "platform/platform.h"

constexpr int VOLUME_STEPS = 10;  // volume levels 0 to 10: 0 to 100 % in tens

struct PlatformSettings {
    int scale = 0;  // 0: none kept, the window takes the largest that fits
    int width = 0;  // the window's size; 0: none kept
    int height = 0;
    bool fullscreen = false;
    bool mute = false;
    int volume = VOLUME_STEPS;
};

namespace platform {

// The settings a file's text gives, defaults where it gives none; each line
// that could not be taken is described in *complaints ("line 3: ...").
PlatformSettings ParseSettings(const std::string& text, std::vector<std::string>* complaints);
std::string FormatSettings(const PlatformSettings& settings);

// The settings of the file at path. A missing file is no complaint; any
// other trouble is one line on stderr each, naming the file, and the
// defaults stand in. *readable is false for a file that is there but could
// not be read: it must not be written over.
PlatformSettings LoadSettings(const std::string& path, bool* readable);
// Writes the file anew (its folders made where missing) through a
// temporary file beside it, so that a reader finds the old settings or the
// new, never a part. False with the reason in *error.
bool SaveSettings(const std::string& path, const PlatformSettings& settings, std::string* error);

// The settings of this run, from PlatformInit to PlatformShutdown. With
// options.keepSettings the file is read: the sound starts muted and at the
// volume it keeps (unless --mute), the window at the scale and in the full
// screen it keeps (unless the command line says).
void StartSettings(const PlatformOptions& options);
void StopSettings();
// What the window starts with: the kept size or scale (0: none) and whether
// it starts in full screen (the command line's --fullscreen, or kept).
const PlatformSettings& KeptSettings();
bool StartFullscreen();
// The player changed a setting: it is written at once when that changes
// the file. A file that cannot be written is said once a run, and costs
// the settings of the next run, not this one; a file that could not be
// read at the start is never written over.
void KeepWindowSize(int width, int height);
void KeepFullscreen(bool fullscreen);
// The mute (muteSwitched) or the volume the platform holds now.
void KeepSound(bool muteSwitched);

}  // namespace platform
