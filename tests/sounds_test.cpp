// The committed sounds keep the contract the game plays them by: wave files
// its loader accepts, one format for its one voice, lengths that fit the
// moments they go with, one loudness, and no click where a sound starts or
// ends, nor where the gamble ladder's loop wraps round.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Expected {
    const char* file;
    double minSeconds;
    double maxSeconds;
    bool loops;
};

// A reel stop and the count tick come every 125 ms and the button flashes
// last 0.9 s; a loop much shorter than a second would nag.
constexpr Expected kSounds[] = {
    {"spin.wav", 0.05, 1.0, false},    {"reel.wav", 0.02, 0.12, false},  {"button.wav", 0.02, 0.12, false},
    {"cashreg.wav", 0.05, 1.0, false}, {"gamble.wav", 0.05, 1.0, false}, {"feature.wav", 0.05, 1.0, false},
    {"nudge.wav", 1.0, 8.0, true},     {"win.wav", 0.05, 3.0, false},    {"fail.wav", 0.05, 3.0, false},
};

// Names the case in failure messages instead of a dump of its bytes.
void PrintTo(const Expected& e, std::ostream* os) { *os << e.file; }

constexpr size_t kHeaderBytes = 44;

// The canonical header is read field by field at its fixed offsets, so that
// any extra chunk or misplaced field shows up as a wrong value.
struct Wave {
    std::vector<uint8_t> bytes;

    uint32_t U32(size_t at) const {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
               static_cast<uint32_t>(bytes[at + 3]) << 24;
    }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
    std::string Tag(size_t at) const { return std::string(bytes.begin() + at, bytes.begin() + at + 4); }
    uint32_t Rate() const { return bytes.size() >= kHeaderBytes ? U32(24) : 0; }

    std::vector<int16_t> Samples() const {
        std::vector<int16_t> samples;
        for (size_t at = kHeaderBytes; at + 1 < bytes.size(); at += 2)
            samples.push_back(static_cast<int16_t>(U16(at)));
        return samples;
    }
};

Wave Load(const std::string& file) {
    std::ifstream in(std::string(VANTARO_SOURCE_DIR) + "/Sounds/" + file, std::ios::binary);
    return {{std::istreambuf_iterator<char>(in), {}}};
}

int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
    return peak;
}

size_t Count(double seconds, uint32_t rate) { return static_cast<size_t>(seconds * rate); }

class SoundFile : public testing::TestWithParam<Expected> {
protected:
    void SetUp() override {
        wave_ = Load(GetParam().file);
        ASSERT_GE(wave_.bytes.size(), kHeaderBytes + 2) << "missing or empty";
        ASSERT_EQ(wave_.U16(34), 16);
        ASSERT_GT(wave_.Rate(), 0u);
        samples_ = wave_.Samples();
    }

    Wave wave_;
    std::vector<int16_t> samples_;
};

TEST_P(SoundFile, HeaderDescribesMonoPcm16) {
    const size_t size = wave_.bytes.size();
    EXPECT_EQ(wave_.Tag(0), "RIFF");
    EXPECT_EQ(wave_.U32(4), size - 8);
    EXPECT_EQ(wave_.Tag(8), "WAVE");
    EXPECT_EQ(wave_.Tag(12), "fmt ");
    EXPECT_EQ(wave_.U32(16), 16u);
    EXPECT_EQ(wave_.U16(20), 1) << "integer PCM";
    EXPECT_EQ(wave_.U16(22), 1) << "mono";
    EXPECT_EQ(wave_.U32(28), wave_.Rate() * 2) << "byte rate";
    EXPECT_EQ(wave_.U16(32), 2) << "block align";
    EXPECT_EQ(wave_.Tag(36), "data");
    EXPECT_EQ(wave_.U32(40), size - kHeaderBytes);
    EXPECT_EQ(size % 2, 0u);
}

TEST_P(SoundFile, LengthFitsItsMoment) {
    const double seconds = static_cast<double>(samples_.size()) / wave_.Rate();
    EXPECT_GE(seconds, GetParam().minSeconds);
    EXPECT_LE(seconds, GetParam().maxSeconds);
}

TEST_P(SoundFile, PeaksNearMinus3dBFS) {
    const double dbfs = 20 * std::log10(Peak(samples_, 0, samples_.size()) / 32767.0);
    EXPECT_GE(dbfs, -4.5);
    EXPECT_LE(dbfs, -1.5);
}

// A sound is often cut short by the next one: an offset from zero would
// click every time.
TEST_P(SoundFile, CentredOnZero) {
    double sum = 0;
    for (int16_t s : samples_) sum += s;
    EXPECT_LT(std::fabs(sum / samples_.size()), 0.005 * 32767);
}

// The first millisecond may only begin to rise, and a sound that ends must
// have died away in its last few. The loop is left playing into its own
// start, so only its cold start counts.
TEST_P(SoundFile, StartsAndEndsWithoutClick) {
    const int peak = Peak(samples_, 0, samples_.size());
    const size_t n = samples_.size();
    EXPECT_LE(std::abs(samples_.front()), 64);
    EXPECT_LE(Peak(samples_, 0, Count(0.001, wave_.Rate())), peak / 2);
    if (GetParam().loops) return;
    EXPECT_LE(std::abs(samples_.back()), 64);
    EXPECT_LE(Peak(samples_, n - Count(0.005, wave_.Rate()), n), peak / 10);
}

std::string Stem(const testing::TestParamInfo<Expected>& info) {
    const std::string file = info.param.file;
    return file.substr(0, file.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Sounds, SoundFile, testing::ValuesIn(kSounds), Stem);

// The game opens its one voice once; every sound must suit the same format.
TEST(Sounds, ShareOneSampleRate) {
    const uint32_t rate = Load(kSounds[0].file).Rate();
    EXPECT_GE(rate, 11025u);
    for (const Expected& e : kSounds) EXPECT_EQ(Load(e.file).Rate(), rate) << e.file;
}

// The step from the last sample to the first must look like any other step
// in the file: no bigger than nine in ten of its neighbouring differences.
TEST(Sounds, LoopWrapsWithoutAJump) {
    for (const Expected& e : kSounds) {
        if (!e.loops) continue;
        const std::vector<int16_t> s = Load(e.file).Samples();
        ASSERT_GT(s.size(), 100u) << e.file;
        std::vector<int> steps;
        for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(s[i] - s[i - 1]));
        const auto typical = steps.begin() + steps.size() * 9 / 10;
        std::nth_element(steps.begin(), typical, steps.end());
        EXPECT_LE(std::abs(s.back() - s.front()), *typical) << e.file;
    }
}

}  // namespace
