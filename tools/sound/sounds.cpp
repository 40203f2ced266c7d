// The recipes. Times are in seconds, pitches are note names or Hz, levels
// are relative within one sound (each sound is normalised on its own).
#include "sounds.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "synth.h"

namespace sound {
namespace {

// The beeper voice of the old machines' sound chips: a square wave's odd
// harmonics, rounded off so that it rings rather than buzzes.
const Timbre kBeeper = {{1, 1}, {3, 0.28}, {5, 0.11}, {7, 0.05}, {9, 0.02}};
// Soft and round, for bass lines and thumps.
const Timbre kRound = {{1, 1}, {2, 0.3}, {3, 0.1}};
// Brass: the full harmonic series falling off a little faster than 1/n.
const Timbre kBrass = {{1, 1},    {2, 0.5},  {3, 0.32}, {4, 0.23},  {5, 0.17},
                       {6, 0.12}, {7, 0.09}, {8, 0.06}, {9, 0.045}, {10, 0.03}};
// Plucked string: harmonic, the upper partials gone within a few tenths.
const Timbre kPluck = {{1, 1}, {2, 0.5, 6}, {3, 0.3, 12}, {4, 0.15, 18}, {5, 0.08, 24}};
// A small struck bell: inharmonic partials, the upper ones dying first.
const Timbre kBell = {{1, 1}, {2.76, 0.55, 3}, {5.40, 0.3, 6}, {8.93, 0.15, 10}};
// Hard wood struck: a pitch and one inharmonic overtone that dies at once.
const Timbre kWood = {{1, 1}, {2.6, 0.4, 40}};

// A short hard tick of noise, as of metal parts touching.
Burst Tick(double at, double level, double centre, uint64_t seed) {
    return {.at = at, .length = 0.02, .level = level, .centre = centre, .q = 2.0,
            .env = {.attack = 0.0008, .decay = 220, .release = 0.006}, .seed = seed};
}

struct Hit {
    double at;
    double length;
    const char* note;
};

std::vector<int16_t> Spin() {
    Mix mix(0.56);
    // The reel motor winding up: a low buzz gliding up an octave and a half.
    mix.Play({.at = 0, .length = 0.55, .pitch = Pitch("A2"), .level = 0.3,
              .env = {.attack = 0.03, .release = 0.2}, .glide = 19},
             kBrass);
    // The reels' detents clicking past, faster and faster up to full speed.
    double gap = 0.06;
    uint64_t seed = 1;
    for (double t = 0.01; t + 0.02 < 0.54; t += gap) {
        mix.Play(Tick(t, 0.45, 2600, seed++));
        gap = std::max(gap * 0.86, 0.022);
    }
    // A bright run up the chord on top.
    const std::array run = {"C5", "E5", "G5", "C6", "E6", "G6"};
    for (std::size_t i = 0; i < run.size(); ++i) {
        mix.Play({.at = 0.04 + 0.05 * i, .length = 0.2, .pitch = Pitch(run[i]), .level = 0.35,
                  .env = {.attack = 0.003, .decay = 14, .release = 0.06}},
                 kBeeper);
    }
    return mix.Finish(kPeak);
}

std::vector<int16_t> Reel() {
    Mix mix(0.08);
    // The reel's weight meeting its stop: a low thump falling in pitch.
    mix.Play({.at = 0, .length = 0.079, .pitch = 150,
              .env = {.attack = 0.002, .decay = 55, .release = 0.03}, .glide = -10},
             kRound);
    // The pawl dropping into its notch: a wooden tock and a metal click.
    mix.Play({.at = 0.002, .length = 0.04, .pitch = 1100, .level = 0.35,
              .env = {.attack = 0.001, .decay = 90, .release = 0.015}},
             kWood);
    mix.Play(Tick(0.0, 0.6, 3200, 7));
    return mix.Finish(kPeak);
}

std::vector<int16_t> Button() {
    Mix mix(0.06);
    mix.Play(Tick(0.0, 0.7, 4200, 11));
    // The machine's acknowledging blip, dropping a touch in pitch.
    mix.Play({.at = 0.001, .length = 0.055, .pitch = Pitch("E6"), .level = 0.6,
              .env = {.attack = 0.002, .decay = 60, .release = 0.02}, .glide = -1},
             kBeeper);
    return mix.Finish(kPeak);
}

std::vector<int16_t> CashRegister() {
    Mix mix(0.9);
    // "Ka": the drawer thrown open and the hammer's lever tripping.
    mix.Play({.at = 0, .length = 0.07, .level = 2.5, .centre = 1200, .q = 0.9,
              .env = {.attack = 0.002, .decay = 70, .release = 0.02}, .seed = 21});
    mix.Play({.at = 0, .length = 0.09, .pitch = 120, .level = 0.5,
              .env = {.attack = 0.003, .decay = 45, .release = 0.03}, .glide = -7},
             kRound);
    mix.Play(Tick(0.035, 1.5, 3500, 22));
    // "Ching": the bell struck twice in quick succession, the second a fifth
    // higher, with a sizzle of metal over the strike.
    mix.Play({.at = 0.06, .length = 0.83, .pitch = Pitch("E6"), .level = 0.8,
              .env = {.attack = 0.002, .decay = 4.5, .release = 0.25}},
             kBell);
    mix.Play({.at = 0.10, .length = 0.79, .pitch = Pitch("B6"), .level = 0.6,
              .env = {.attack = 0.002, .decay = 5.5, .release = 0.25}},
             kBell);
    mix.Play({.at = 0.06, .length = 0.3, .level = 0.15, .centre = 7000, .q = 1.2,
              .env = {.attack = 0.002, .decay = 18, .release = 0.1}, .seed = 23});
    return mix.Finish(kPeak);
}

// Two notes swapping like the two flashing buttons, the pair stepping up
// once: a question left open.
std::vector<int16_t> Gamble() {
    Mix mix(0.86);
    const std::array tune = {"G5", "D6", "G5", "D6", "A5", "E6", "A5", "E6"};
    for (std::size_t i = 0; i < tune.size(); ++i) {
        const bool last = i + 1 == tune.size();
        mix.Play({.at = 0.1 * i, .length = last ? 0.15 : 0.095, .pitch = Pitch(tune[i]), .level = 0.5,
                  .env = {.attack = 0.003, .decay = 6, .release = 0.025}},
                 kBeeper);
    }
    for (auto [at, bass] : {std::pair{0.0, "G3"}, std::pair{0.4, "A3"}}) {
        mix.Play({.at = at, .length = 0.4, .pitch = Pitch(bass), .level = 0.45,
                  .env = {.attack = 0.005, .decay = 3, .release = 0.05}},
                 kRound);
    }
    return mix.Finish(kPeak);
}

// A harp-like run up the major chord, landing on a bright shimmering chord:
// something good is on offer.
std::vector<int16_t> Feature() {
    Mix mix(0.88);
    const std::array run = {"C5", "E5", "G5", "C6", "E6", "G6"};
    for (std::size_t i = 0; i < run.size(); ++i) {
        const double at = 0.06 * i;
        mix.Play({.at = at, .length = 0.86 - at, .pitch = Pitch(run[i]), .level = 0.55,
                  .env = {.attack = 0.002, .decay = 6, .release = 0.08}},
                 kPluck);
    }
    for (const char* note : {"C6", "E6", "G6", "C7"}) {
        mix.Play({.at = 0.38, .length = 0.48, .pitch = Pitch(note), .level = 0.22,
                  .env = {.attack = 0.01, .decay = 2.5, .release = 0.15},
                  .vibrato = 0.12, .vibratoRate = 7, .vibratoDelay = 0.04},
                 kBeeper);
    }
    return mix.Finish(kPeak);
}

// The loop under the gamble ladder: semiquaver arpeggios over a pulsing
// octave bass, Am Am F E, the last bar's G# pulling back to the start. Every
// note ends inside the loop, so it starts from silence and its last sample
// flows into its first.
std::vector<int16_t> NudgeLoop() {
    constexpr double kStep = 0.1;  // a semiquaver at 150 bpm
    constexpr int kStepsPerBar = 8;
    struct Bar {
        const char* bass;
        std::array<const char*, 4> chord;
    };
    const std::array<Bar, 4> bars = {{
        {"A2", {"A4", "C5", "E5", "A5"}},
        {"A2", {"C5", "E5", "A5", "C6"}},  // the same chord climbing: tension rising
        {"F2", {"A4", "C5", "F5", "A5"}},
        {"E2", {"G#4", "B4", "E5", "G#5"}},
    }};
    constexpr std::array<int, kStepsPerBar> kArpeggio = {0, 1, 2, 3, 2, 1, 2, 3};
    Mix mix(kStep * kStepsPerBar * bars.size(), /*loops=*/true);
    for (std::size_t b = 0; b < bars.size(); ++b) {
        for (int s = 0; s < kStepsPerBar; ++s) {
            const std::size_t step = b * kStepsPerBar + s;
            const double at = kStep * step;
            mix.Play({.at = at, .length = 0.095, .pitch = Pitch(bars[b].chord[kArpeggio[s]]), .level = 0.4,
                      .env = {.attack = 0.003, .decay = 18, .release = 0.03}},
                     kBeeper);
            if (s % 2 == 0) {
                // Root on the beat, its octave off it; the bar's downbeat leans.
                const double octave = s % 4 == 2 ? 2.0 : 1.0;
                mix.Play({.at = at, .length = 0.19, .pitch = octave * Pitch(bars[b].bass),
                          .level = s == 0 ? 0.9 : 0.7, .env = {.attack = 0.004, .decay = 9, .release = 0.04}},
                         kRound);
            } else {
                // A closed hi-hat between, louder on the off-beat quavers.
                mix.Play({.at = at, .length = 0.04, .level = s % 4 == 3 ? 0.3 : 0.18, .centre = 7000, .q = 1.0,
                          .env = {.attack = 0.001, .decay = 80, .release = 0.015}, .seed = 100 + step});
            }
        }
    }
    return mix.Finish(kPeak);
}

// Da-da-da-daah, da-da daaah: brass up the C major chord to a held top C
// over the full chord, with a sparkle of beeps as it lands.
std::vector<int16_t> Win() {
    Mix mix(2.5);
    const std::array<Hit, 7> melody = {{{0.00, 0.12, "G4"}, {0.12, 0.12, "C5"}, {0.24, 0.12, "E5"},
                                        {0.36, 0.34, "G5"}, {0.72, 0.12, "E5"}, {0.84, 0.12, "G5"},
                                        {0.96, 1.50, "C6"}}};
    for (const Hit& h : melody) {
        const bool held = h.length > 1;
        mix.Play({.at = h.at, .length = h.length, .pitch = Pitch(h.note), .level = 0.8,
                  .env = {.attack = 0.012, .decay = held ? 0.8 : 0.0, .release = held ? 0.5 : 0.04},
                  .vibrato = held ? 0.2 : 0.0},
                 kBrass);
    }
    for (const char* note : {"E5", "G5"}) {
        mix.Play({.at = 0.96, .length = 1.5, .pitch = Pitch(note), .level = 0.4,
                  .env = {.attack = 0.02, .decay = 0.8, .release = 0.5}},
                 kBrass);
    }
    const std::array<Hit, 4> bass = {
        {{0.00, 0.34, "C3"}, {0.36, 0.34, "G2"}, {0.72, 0.22, "C3"}, {0.96, 1.5, "C3"}}};
    for (const Hit& h : bass) {
        mix.Play({.at = h.at, .length = h.length, .pitch = Pitch(h.note), .level = 0.6,
                  .env = {.attack = 0.008, .decay = 1.2, .release = 0.08}},
                 kRound);
    }
    const std::array sparkle = {"C6", "E6", "G6", "C7", "E7"};
    for (std::size_t i = 0; i < sparkle.size(); ++i) {
        mix.Play({.at = 0.96 + 0.05 * i, .length = 0.3, .pitch = Pitch(sparkle[i]), .level = 0.2,
                  .env = {.attack = 0.002, .decay = 10, .release = 0.08}},
                 kBeeper);
    }
    return mix.Finish(kPeak);
}

// Four drooping "wah"s down a semitone at a time, the last held, wobbling
// and sagging flat: the ladder lost.
std::vector<int16_t> Fail() {
    Mix mix(2.1);
    const std::array<Hit, 4> wahs = {
        {{0.00, 0.36, "D4"}, {0.40, 0.36, "C#4"}, {0.80, 0.36, "C4"}, {1.20, 0.86, "B3"}}};
    for (const Hit& h : wahs) {
        const bool last = h.length > 0.5;
        mix.Play({.at = h.at, .length = h.length, .pitch = Pitch(h.note), .level = 0.8,
                  .env = {.attack = 0.02, .decay = last ? 0.6 : 0.0, .release = last ? 0.3 : 0.06},
                  .glide = last ? -1.5 : 0.0, .vibrato = last ? 0.35 : 0.0, .vibratoRate = 6,
                  .vibratoDelay = 0.25, .wah = 0.8},
                 kBrass);
    }
    return mix.Finish(kPeak);
}

}  // namespace

std::vector<Sound> MakeSounds() {
    return {
        {"spin.wav", Spin()},
        {"reel.wav", Reel()},
        {"button.wav", Button()},
        {"cashreg.wav", CashRegister()},
        {"gamble.wav", Gamble()},
        {"feature.wav", Feature()},
        {"nudge.wav", NudgeLoop()},
        {"win.wav", Win()},
        {"fail.wav", Fail()},
    };
}

}  // namespace sound
