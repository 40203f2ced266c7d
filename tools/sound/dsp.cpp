#include "dsp.h"

#include <cmath>

namespace sound {

double SineCycles(double cycles) {
    // Fold into a quarter wave, [-1/4, 1/4] cycles, where the Taylor series to
    // x^17 is accurate to about 1e-13: far below a 16-bit step.
    double x = cycles - std::floor(cycles);
    if (x >= 0.5) x -= 1.0;
    if (x > 0.25) x = 0.5 - x;
    if (x < -0.25) x = -0.5 - x;
    const double a = 2.0 * kPi * x;
    const double a2 = a * a;
    double term = a;
    double sum = a;
    for (int n = 2; n <= 16; n += 2) {
        term *= -a2 / (n * (n + 1));
        sum += term;
    }
    return sum;
}

double CosineCycles(double cycles) { return SineCycles(cycles + 0.25); }

double Exponential(double x) {
    // e^x = 2^k * e^r with |r| <= ln2/2; scaling by 2^k is exact.
    if (x < -700.0) return 0.0;
    constexpr double kLn2 = 0.69314718055994530942;
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 14; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double Semitones(double n) {
    constexpr double kLn2 = 0.69314718055994530942;
    return Exponential(n / 12.0 * kLn2);
}

double Noise::Next() {
    // splitmix64: tiny, and its output is fixed by the seed alone.
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
}

BandPass::BandPass(double centreHz, double q, int sampleRate) {
    const double angle = centreHz / sampleRate / 2.0;  // pi f / fs, counted in cycles
    const double g = SineCycles(angle) / CosineCycles(angle);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

double BandPass::Process(double in) {
    const double v3 = in - s2_;
    const double v1 = a1_ * s1_ + a2_ * v3;
    const double v2 = s2_ + a2_ * s1_ + a3_ * v3;
    s1_ = 2.0 * v1 - s1_;
    s2_ = 2.0 * v2 - s2_;
    // Scaled by k so that the peak gain is 1 whatever the Q.
    return k_ * v1;
}

}  // namespace sound
