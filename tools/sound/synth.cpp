#include "synth.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "dsp.h"

namespace sound {
namespace {

// 0 at u = 0 rising smoothly to 1 at u = 1.
double RaisedCosine(double u) { return 0.5 - 0.5 * CosineCycles(u / 2.0); }

double EnvelopeGain(const Envelope& env, double t, double length) {
    double gain = 1.0;
    if (t < env.attack) {
        gain = RaisedCosine(t / env.attack);
    } else if (env.decay > 0) {
        gain = Exponential(-env.decay * (t - env.attack));
    }
    const double left = length - t;
    if (left < env.release) gain *= RaisedCosine(std::max(left, 0.0) / env.release);
    return gain;
}

// Partials are faded out as they approach Nyquist instead of folding back
// as inharmonic whistles; the fade (rather than a cut) keeps a gliding note
// from clicking as its partials cross the limit.
double AliasGuard(double hz) {
    constexpr double kFull = 0.36 * kSampleRate;
    constexpr double kNone = 0.45 * kSampleRate;
    if (hz <= kFull) return 1.0;
    if (hz >= kNone) return 0.0;
    return RaisedCosine((kNone - hz) / (kNone - kFull));
}

double Frequency(const Note& note, double t) {
    double semitones = note.glide * t / note.length;
    if (note.vibrato > 0 && t > note.vibratoDelay) {
        const double fadeIn = std::min((t - note.vibratoDelay) / 0.1, 1.0);
        semitones += note.vibrato * fadeIn * SineCycles(note.vibratoRate * t);
    }
    return note.pitch * Semitones(semitones);
}

// How far the upper partials are closed off: fully at the start and end of
// the note, open in its middle, which the ear hears as "wah".
double WahClosure(const Note& note, double t) {
    if (note.wah <= 0) return 0.0;
    const double open = SineCycles(0.5 * t / note.length);
    return note.wah * (1.0 - open);
}

std::size_t SampleCount(double seconds) {
    return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

}  // namespace

double Pitch(std::string_view name) {
    static constexpr int kFromC[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    const auto bad = [&] { return std::invalid_argument("bad note name: " + std::string(name)); };
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') throw bad();
    int semitone = kFromC[name[0] - 'A'];
    std::size_t i = 1;
    if (name[i] == '#' || name[i] == 'b') {
        semitone += name[i] == '#' ? 1 : -1;
        ++i;
    }
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '8') throw bad();
    const int midi = 12 * (name[i] - '0' + 1) + semitone;
    return 440.0 * Semitones(midi - 69);
}

Mix::Mix(double seconds, bool loops) : samples_(SampleCount(seconds), 0.0), loops_(loops) {}

double& Mix::At(std::size_t index, std::string_view what) {
    if (loops_) return samples_[index % samples_.size()];
    if (index >= samples_.size()) {
        // A recipe that overruns its sound would be cut off with a click.
        throw std::logic_error(std::string(what) + " runs past the end of the sound");
    }
    return samples_[index];
}

void Mix::Play(const Note& note, const Timbre& timbre) {
    const std::size_t start = SampleCount(note.at);
    const std::size_t count = SampleCount(note.length);
    double phase = 0.0;  // cycles of the fundamental
    // The last sample, where the release reaches zero, is written too.
    for (std::size_t i = 0; i <= count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double hz = Frequency(note, t);
        const double closure = WahClosure(note, t);
        double sum = 0.0;
        for (const Partial& p : timbre) {
            const double level = p.level * AliasGuard(hz * p.ratio) *
                                 Exponential(-p.fade * t - 1.5 * closure * (p.ratio - 1.0));
            sum += level * SineCycles(phase * p.ratio);
        }
        At(start + i, "a note") += note.level * EnvelopeGain(note.env, t, note.length) * sum;
        phase += hz / kSampleRate;
    }
}

void Mix::Play(const Burst& burst) {
    const std::size_t start = SampleCount(burst.at);
    const std::size_t count = SampleCount(burst.length);
    Noise noise(burst.seed);
    BandPass band(burst.centre, burst.q, kSampleRate);
    for (std::size_t i = 0; i <= count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double gain = burst.level * EnvelopeGain(burst.env, t, burst.length);
        At(start + i, "a noise burst") += gain * band.Process(noise.Next());
    }
}

std::vector<int16_t> Mix::Finish(double peak) const {
    std::vector<double> out = samples_;
    if (!loops_) {
        const auto fade = [&](std::size_t length, auto index) {
            length = std::min(length, out.size());
            for (std::size_t j = 0; j < length; ++j) out[index(j)] *= RaisedCosine(double(j) / length);
        };
        fade(SampleCount(0.003), [](std::size_t j) { return j; });
        fade(SampleCount(0.010), [&](std::size_t j) { return out.size() - 1 - j; });
    }
    double loudest = 0.0;
    for (double s : out) loudest = std::max(loudest, std::fabs(s));
    const double scale = loudest > 0 ? peak / loudest : 0.0;
    std::vector<int16_t> pcm;
    pcm.reserve(out.size());
    for (double s : out) {
        const long v = std::lround(s * scale);  // halves away from zero, whatever the FPU mode
        pcm.push_back(static_cast<int16_t>(std::clamp(v, -32768L, 32767L)));
    }
    return pcm;
}

}  // namespace sound
