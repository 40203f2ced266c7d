// Wave playback with one voice.
//
// A sound plays in the background while the game goes on. Starting a sound
// stops the one playing, unless SND_NOSTOP or SND_NOWAIT is given and a sound
// is playing: then the new one is skipped. A null name stops whatever plays.
// Wave files are decoded once and kept. No audio device, --mute, or a missing
// or broken file give silence and a FALSE result, never a failure.
#pragma once
#include "platform/winapi/win.h"

constexpr DWORD SND_SYNC = 0x0000;
constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_LOOP = 0x0008;
constexpr DWORD SND_NOSTOP = 0x0010;
constexpr DWORD SND_NOWAIT = 0x2000;
constexpr DWORD SND_FILENAME = 0x20000;
constexpr DWORD SND_RESOURCE = 0x40004;

// name is a full path with SND_FILENAME, a wave resource of module with
// SND_RESOURCE (the program has none, so those play nothing). Only
// asynchronous playback exists: SND_ASYNC is assumed.
BOOL PlaySoundW(const WCHAR* name, HINSTANCE module, DWORD flags);
