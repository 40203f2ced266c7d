// Fire-and-forget sounds. A new sound cuts off the one playing; a loop plays
// until another sound call stops it, and does not start over a playing sound.
#pragma once

void SoundPlay(const wchar_t* path);
void SoundLoop(const wchar_t* path);
void SoundStop();
