// A small additive synthesiser: notes built from a few partials under an
// envelope, and bursts of filtered noise for the mechanical parts, mixed
// into one mono buffer and finished as 16-bit samples.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sound {

inline constexpr int kSampleRate = 22050;

// One sine component of a timbre. `ratio` is its frequency over the note's;
// `fade` is an extra decay rate (per second) of this partial alone, so that
// the upper partials of a struck or plucked sound die before the body.
struct Partial {
    double ratio;
    double level;
    double fade = 0;
};
using Timbre = std::vector<Partial>;

// Every envelope rises from zero and falls back to exactly zero at the end
// of the note, so notes never click where they start or stop.
struct Envelope {
    double attack = 0.004;  // s, raised-cosine rise
    double decay = 0;       // per second, exponential fall after the attack; 0 holds
    double release = 0.02;  // s, raised-cosine fall ending the note
};

struct Note {
    double at;      // s from the start of the sound
    double length;  // s, release included
    double pitch;   // Hz
    double level = 1;
    Envelope env{};
    double glide = 0;    // semitones the pitch has moved by the end of the note
    double vibrato = 0;  // depth in semitones
    double vibratoRate = 5.5;
    double vibratoDelay = 0.15;  // s before the vibrato comes in, as a player would
    double wah = 0;              // 0..1: how far the upper partials close at the note's ends
};

struct Burst {
    double at;
    double length;
    double level;
    double centre;  // Hz of the noise band
    double q;
    Envelope env{};
    uint64_t seed = 1;
};

// Pitch of a note name such as "A4", "C#5" or "Bb3" (A4 = 440 Hz).
double Pitch(std::string_view name);

class Mix {
public:
    // A looping mix wraps whatever rings past its end onto its start, so the
    // last sample flows into the first.
    Mix(double seconds, bool loops = false);

    void Play(const Note& note, const Timbre& timbre);
    void Play(const Burst& burst);

    // Normalised to `peak` (full scale 32767), rounded to 16 bits. A one-shot
    // sound also gets short fades at both edges so it starts and ends at zero
    // whatever its recipe does there.
    std::vector<int16_t> Finish(double peak) const;

private:
    double& At(std::size_t index, std::string_view what);

    std::vector<double> samples_;
    bool loops_;
};

}  // namespace sound
