// One voice of SDL audio: wave files decoded once into the device's format
// and mixed at the player's volume; the device opened even when muted, so
// that the sound can be switched on.
#include <algorithm>
#include "platform/app/settings.h"
#include "platform/codec/wave.h"
#include "platform/winapi/core_state.h"

#include "platform/sdl/host.h"
#include "platform/sdl/state.h"

namespace platform::sdl {

void SoundChanged(bool muteSwitched) {
    State& s = S();
    const int volume = PlatformVolume();
    if (s.audio) SDL_LockAudioDevice(s.audio);
    s.gain = volume * volume;  // even steps to the ear, more than even steps of amplitude
    if (s.audio) SDL_UnlockAudioDevice(s.audio);
    const std::string percent = std::to_string(volume * 100 / VOLUME_STEPS) + "%";
    if (muteSwitched) ShowStatus(PlatformMuted() ? "Sound off" : "Sound on, volume " + percent);
    else ShowStatus("Volume " + percent + (PlatformMuted() ? " (sound off)" : ""));
}

void AudioCallback(void*, Uint8* stream, int length) {
    State& s = S();
    SDL_memset(stream, s.audioSpec.silence, static_cast<size_t>(length));
    size_t done = 0;
    while (s.voice && done < static_cast<size_t>(length)) {
        const size_t n = std::min(static_cast<size_t>(length) - done, s.voice->data.size() - s.voicePos);
        SDL_memcpy(stream + done, s.voice->data.data() + s.voicePos, n);
        done += n;
        s.voicePos += n;
        if (s.voicePos >= s.voice->data.size()) {
            s.voicePos = 0;
            if (!s.voiceLoop) s.voice = nullptr;
        }
    }
    if (s.gain != 100) {  // the device plays 16-bit samples
        Sint16* sample = reinterpret_cast<Sint16*>(stream);
        for (size_t i = 0; i < done / 2; ++i) sample[i] = static_cast<Sint16>(sample[i] * s.gain / 100);
    }
}

void OpenAudio() {
    State& s = S();
    s.audioTried = true;
    // Opened even with --mute, so that M can switch the sound on.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    SDL_AudioSpec want = {};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    s.audio = SDL_OpenAudioDevice(nullptr, 0, &want, &s.audioSpec,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (s.audio) SDL_PauseAudioDevice(s.audio, 0);
}

// Decodes a wave file into the device's format, once. The file is read as
// the headless backend reads it (never waiting on a FIFO, at most
// MAX_WAVE_FILE_BYTES); one that cannot be read or decoded is silence. A
// compressed one (the page's are IMA ADPCM) ends where its fact chunk says,
// not at the end of its last block.
const Clip* LoadClip(const char* path) {
    State& s = S();
    auto known = s.clips.find(path);
    if (known != s.clips.end()) return known->second.get();
    std::unique_ptr<Clip> clip;
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    std::string file, error;
    if (ReadWaveFile(path, &file, &error) &&
        SDL_LoadWAV_RW(SDL_RWFromConstMem(file.data(), static_cast<int>(file.size())), 1, &spec, &buffer, &length)) {
        SDL_AudioCVT cvt;
        if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, s.audioSpec.format,
                              s.audioSpec.channels, s.audioSpec.freq) >= 0) {
            std::vector<Uint8> work(static_cast<size_t>(length) * std::max(cvt.len_mult, 1));
            SDL_memcpy(work.data(), buffer, length);
            cvt.buf = work.data();
            cvt.len = static_cast<int>(length);
            if (SDL_ConvertAudio(&cvt) == 0) {
                work.resize(static_cast<size_t>(cvt.len_cvt));
                clip = std::make_unique<Clip>();
                clip->data = std::move(work);
            }
        }
        SDL_FreeWAV(buffer);
    }
    if (clip && clip->data.empty()) clip.reset();
    return s.clips.emplace(path, std::move(clip)).first->second.get();
}

bool VoicePlaying() {
    State& s = S();
    if (!s.audio) return false;
    SDL_LockAudioDevice(s.audio);
    const bool playing = s.voice != nullptr;
    SDL_UnlockAudioDevice(s.audio);
    return playing;
}

void VoiceStop() {
    State& s = S();
    if (!s.audio) return;
    SDL_LockAudioDevice(s.audio);
    s.voice = nullptr;
    SDL_UnlockAudioDevice(s.audio);
}

bool VoiceStart(const char* path, bool loop) {
    State& s = S();
    if (!s.audio) return false;
    const Clip* clip = LoadClip(path);
    if (!clip) return false;
    SDL_LockAudioDevice(s.audio);
    s.voice = clip;
    s.voicePos = 0;
    s.voiceLoop = loop;
    SDL_UnlockAudioDevice(s.audio);
    return true;
}

void CloseAudio() {
    State& s = S();
    if (s.audio) SDL_CloseAudioDevice(s.audio);
    s.audio = 0;
    s.audioTried = false;
    s.voice = nullptr;
    s.clips.clear();
}

void SoundCall(const char*, DWORD, const char*) {}

}  // namespace platform::sdl
