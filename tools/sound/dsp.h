// The arithmetic under the sound generator.
//
// The committed wave files are checked to come out byte for byte the same on
// every build, so nothing here calls the C library's sin or exp: their last
// bit may differ between libraries, and the optimiser folds constant calls
// with a different implementation than the one the program calls at run
// time. These functions use + - * / and floor only, which IEEE doubles give
// exactly the same everywhere (the build turns floating-point contraction
// off for this tool).
#pragma once
#include <cstdint>

namespace sound {

inline constexpr double kPi = 3.14159265358979323846;

// sin(2 pi x): an argument in cycles keeps the range reduction exact.
double SineCycles(double cycles);
double CosineCycles(double cycles);
double Exponential(double x);
// The frequency ratio of an interval in (equal-tempered) semitones.
double Semitones(double n);

// White noise from a fixed seed, uniform in [-1, 1).
class Noise {
public:
    explicit Noise(uint64_t seed) : state_(seed) {}
    double Next();

private:
    uint64_t state_;
};

// A resonant band-pass (state-variable, trapezoidal form), stable at any
// centre frequency below Nyquist.
class BandPass {
public:
    BandPass(double centreHz, double q, int sampleRate);
    double Process(double in);

private:
    double k_, a1_, a2_, a3_;
    double s1_ = 0, s2_ = 0;
};

}  // namespace sound
