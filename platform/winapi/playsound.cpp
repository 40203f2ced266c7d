// The rules of one-voice playback; the backends only play, stop and report.
#include "platform/winapi/playsound.h"

#include <algorithm>

#include "platform/winapi/core_state.h"
#include "platform/app/settings.h"
#include "platform/os/text.h"

using namespace platform;

bool PlatformMuted() { return Core().muted; }

void PlatformToggleMute() {
    Core().muted = !Core().muted;
    if (PlatformMuted()) Current().voiceStop();
    PlatformTrace("sound %s", PlatformMuted() ? "off" : "on");
    KeepSound(true);
    Current().soundChanged(true);
}

int PlatformVolume() { return Core().volume; }

void PlatformChangeVolume(int steps) {
    const int volume = std::clamp(Core().volume + steps, 0, VOLUME_STEPS);
    if (volume == Core().volume) return;
    Core().volume = volume;
    PlatformTrace("sound volume %d%%", volume * 100 / VOLUME_STEPS);
    KeepSound(false);
    Current().soundChanged(false);
}

void PlatformTypingText(bool typing) {
    if (Core().typingText == typing) return;
    Core().typingText = typing;
    Current().typingText(typing);
}

BOOL PlaySoundW(const WCHAR* name, HINSTANCE, DWORD flags) {
    const Backend& b = Current();
    if (name && PlatformMuted()) {
        b.soundCall(Narrow(name).c_str(), flags, "muted");
        return FALSE;
    }
    if (!name) {
        b.voiceStop();
        b.soundCall("", flags, "stop");
        return TRUE;
    }
    const std::string path = Narrow(name);
    if (b.voicePlaying() && (flags & (SND_NOSTOP | SND_NOWAIT))) {
        b.soundCall(path.c_str(), flags, "skip");
        return FALSE;
    }
    b.voiceStop();
    if (!b.voiceStart(path.c_str(), (flags & SND_LOOP) != 0)) {
        b.soundCall(path.c_str(), flags, "missing");
        return FALSE;
    }
    b.soundCall(path.c_str(), flags, (flags & SND_LOOP) ? "loop" : "play");
    return TRUE;
}
