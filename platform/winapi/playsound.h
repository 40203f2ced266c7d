// Wave playback with one voice.
//
// A sound plays in the background while the game goes on. Starting a sound
// stops the one playing, unless SND_NOSTOP or SND_NOWAIT is given and a sound
// is playing: then the new one is skipped. A null name stops whatever plays.
// Wave files are decoded once and kept. No audio device, --mute, or a missing
// or broken file give silence and a FALSE result, never a failure. (This is
// the handheld's call the game makes; shell/sound.cpp is the game's own
// layer of sounds over it.)
//
// What it deliberately does not do: synchronous playback, wave resources
// (the program carries none), more than one voice.
#pragma once
#include "platform/winapi/win.h"

constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_LOOP = 0x0008;
constexpr DWORD SND_NOSTOP = 0x0010;
constexpr DWORD SND_NOWAIT = 0x2000;
constexpr DWORD SND_FILENAME = 0x20000;

// name is a wave file's full path (SND_FILENAME; module is not used). Only
// asynchronous playback exists: SND_ASYNC is assumed.
BOOL PlaySoundW(const WCHAR* name, HINSTANCE module, DWORD flags);
