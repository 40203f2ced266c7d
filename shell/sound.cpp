#include "shell/sound.h"

#include "platform/winapi/playsound.h"

void SoundPlay(const wchar_t* path) {
    PlaySoundW(nullptr, nullptr, SND_FILENAME | SND_ASYNC);
    PlaySoundW(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_ASYNC);
}

void SoundLoop(const wchar_t* path) {
    PlaySoundW(path, nullptr, SND_FILENAME | SND_NOWAIT | SND_NOSTOP | SND_LOOP | SND_ASYNC);
}

void SoundStop() { PlaySoundW(nullptr, nullptr, SND_FILENAME | SND_ASYNC); }
