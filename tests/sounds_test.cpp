// The committed sounds keep the contract the game plays them by: wave files
// its loader accepts, one format for its one voice, lengths that fit the
// moments they go with, one loudness, and no click where a sound starts or
// ends, nor where the gamble ladder's loop wraps round. A sound file that
// cannot be read is silence. And the one voice: what a new sound, a loop and
// a stop do to the one playing. The page's smaller copies decode to the same
// sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <SDL.h>

#include "platform/headless/headless.h"
#include "shell/sound.h"
#include "tests/support.h"

namespace {

struct Expected {
    const char* file;
    double minSeconds, maxSeconds;
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

// A wave file as committed.
struct Wave {
    std::string bytes;

    uint16_t U16(size_t at) const { return static_cast<uint16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    uint32_t Rate() const { return bytes.size() >= kHeaderBytes ? U32(24) : 0; }
    std::vector<int16_t> Samples() const {
        std::vector<int16_t> samples;
        for (size_t at = kHeaderBytes; at + 1 < bytes.size(); at += 2)
            samples.push_back(static_cast<int16_t>(U16(at)));
        return samples;
    }
};

Wave Load(const std::string& file) { return {ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Sounds/" + file)}; }

int Peak(const std::vector<int16_t>& s, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
    return peak;
}

struct SoundFile : testing::TestWithParam<Expected> {};

// The canonical mono 16-bit header; a length that fits the moment; a peak
// near -3 dBFS. Centred on zero, since a sound is often cut short by the
// next one and an offset would click every time. The first millisecond may
// only begin to rise, and a sound that ends must have died away in its last
// few; the loop is left playing into its own start, so only its cold start
// counts.
TEST_P(SoundFile, KeepsTheContract) {
    const Wave wave = Load(GetParam().file);
    ASSERT_GE(wave.bytes.size(), kHeaderBytes + 2) << "missing or empty";
    const uint32_t rate = wave.Rate();
    ASSERT_GT(rate, 0u);
    ASSERT_EQ(wave.bytes.substr(0, kHeaderBytes), WaveHeader(rate, wave.bytes.size() - kHeaderBytes));
    EXPECT_EQ(wave.bytes.size() % 2, 0u);
    const std::vector<int16_t> samples = wave.Samples();
    const size_t n = samples.size();

    const double seconds = static_cast<double>(n) / rate;
    EXPECT_GE(seconds, GetParam().minSeconds);
    EXPECT_LE(seconds, GetParam().maxSeconds);
    const int peak = Peak(samples, 0, n);
    EXPECT_NEAR(20 * std::log10(peak / 32767.0), -3, 1.5) << "dBFS";
    double sum = 0;
    for (int16_t s : samples) sum += s;
    EXPECT_LT(std::fabs(sum / n), 0.005 * 32767);

    EXPECT_LE(std::abs(samples.front()), 64);
    EXPECT_LE(Peak(samples, 0, rate / 1000), peak / 2);
    if (GetParam().loops) return;
    EXPECT_LE(std::abs(samples.back()), 64);
    EXPECT_LE(Peak(samples, n - rate / 200, n), peak / 10);
}

// The page plays each sound as its build converts it (web/sound.cmake:
// IMA ADPCM where that keeps it clear, else 8-bit): in well under half the
// bytes, decoded by SDL's own loader to as many samples as the committed
// file and to much the same sound, at least 20 dB above the coding's noise.
#ifndef _WIN32  // the page is built on Linux
TEST_P(SoundFile, AsThePagePlaysItDecodesToTheSameLength) {
    if (std::system("command -v sox >/dev/null") != 0) GTEST_SKIP() << "no sox (./dev web installs it)";
    const std::string folder = MakeTempFolder(), packed = folder + "/" + GetParam().file;
    const std::string source = std::string(VANTARO_SOURCE_DIR) + "/Sounds/" + GetParam().file;
    const std::string convert = "cmake -DSOX=sox -DSOURCE='" + source + "' -DOUTPUT='" + packed + "' -P '" +
                                VANTARO_SOURCE_DIR + "/web/sound.cmake'";
    ASSERT_EQ(std::system(convert.c_str()), 0);
    EXPECT_LT(ReadFile(packed).size(), ReadFile(source).size() / 2 + kHeaderBytes);
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_TRUE(SDL_LoadWAV(packed.c_str(), &spec, &buffer, &length)) << SDL_GetError();
    std::vector<int16_t> got;
    if (spec.format == AUDIO_U8) {
        for (Uint32 i = 0; i < length; ++i) got.push_back(static_cast<int16_t>((buffer[i] - 128) * 256));
    } else {
        EXPECT_EQ(spec.format, AUDIO_S16SYS);
        got.resize(length / 2);
        SDL_memcpy(got.data(), buffer, got.size() * 2);
    }
    SDL_FreeWAV(buffer);
    EXPECT_EQ(spec.channels, 1);
    EXPECT_EQ(spec.freq, static_cast<int>(Load(GetParam().file).Rate()));
    const std::vector<int16_t> want = Load(GetParam().file).Samples();
    ASSERT_EQ(got.size(), want.size());
    double signal = 0, noise = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        const double w = want[i], g = got[i];
        signal += w * w;
        noise += (g - w) * (g - w);
    }
    EXPECT_GT(10 * std::log10(signal / std::max(noise, 1.0)), 20.0) << "dB";
}
#endif

INSTANTIATE_TEST_SUITE_P(Sounds, SoundFile, testing::ValuesIn(kSounds), [](const auto& info) {
    return std::string(info.param.file).substr(0, std::string(info.param.file).find('.'));
});

// The game opens its one voice once: every sound must suit the same format.
// The step from the last sample of a loop to its first must look like any
// other step in the file: no bigger than nine in ten of its neighbouring
// differences.
TEST(Sounds, ShareOneSampleRateAndLoopsWrapWithoutAJump) {
    const uint32_t rate = Load(kSounds[0].file).Rate();
    EXPECT_GE(rate, 11025u);
    for (const Expected& e : kSounds) {
        EXPECT_EQ(Load(e.file).Rate(), rate) << e.file;
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

// A FIFO nobody writes in place of a sound (opening it would wait for ever),
// or anything else that is no regular file, is silence: the game takes the
// coin whose sound it is and plays on.
TEST(Sounds, FifoInPlaceOfASoundIsSilence) {
    const std::string folder = MakeTempFolder(), fifo = folder + "/Sounds/button.wav";
    const std::string game = CopyGameInto(folder);
    ASSERT_TRUE(LinkOrCopy(std::string(VANTARO_SOURCE_DIR) + "/Images", folder + "/Images"));
    ASSERT_TRUE(MakeFolder(folder + "/Sounds"));
    ASSERT_TRUE(MakeNonRegular(fifo));
    WriteFile(folder + "/play.txt", "wait 6000\ntap 199 210\nwait 500\nstate " + folder + "/state.json\n");
    const RunResult r =
        ::Run({game, "--headless", "--script", folder + "/play.txt"}, {"VANTARO_DATA_DIR=" + folder}, 20);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadFile(folder + "/state.json").find("\"cash\":24,"), std::string::npos);
    StartHeadless();
    SoundPlay(std::wstring(fifo.begin(), fifo.end()).c_str());
    EXPECT_EQ(headless::Sounds().back().outcome, "missing");
    EXPECT_FALSE(headless::SoundPlaying());
}

struct OneVoice : ::testing::Test {
    std::wstring longOne, shortOne, loop;
    void SetUp() override {
        StartHeadless();
        const std::string dir = MakeTempFolder();
        auto make = [&dir](const std::string& name, int ms) {
            WriteFile(dir + "/" + name, WaveHeader(22000, 44 * ms) + std::string(44 * ms, '\0'));  // silence
            const std::string path = dir + "/" + name;
            return std::wstring(path.begin(), path.end());
        };
        longOne = make("long.wav", 900);
        shortOne = make("short.wav", 100);
        loop = make("loop.wav", 300);
    }
    std::vector<std::string> Outcomes() const {
        std::vector<std::string> o;
        for (const auto& s : headless::Sounds()) o.push_back(s.file.empty() ? s.outcome : s.outcome + " " + s.file);
        return o;
    }
};

TEST_F(OneVoice, APlayCutsOffTheSoundOrLoopBeforeItAndStopEndsALoop) {
    SoundPlay(longOne.c_str());
    headless::Advance(50);
    SoundPlay(shortOne.c_str());
    EXPECT_EQ(Outcomes(), (std::vector<std::string>{"stop", "play long.wav", "stop", "play short.wav"}));
    headless::Advance(150);
    EXPECT_FALSE(headless::SoundPlaying());  // the short one ended; the long one was cut
    SoundLoop(loop.c_str());
    SoundPlay(shortOne.c_str());
    headless::Advance(200);
    EXPECT_FALSE(headless::SoundPlaying());
    SoundLoop(loop.c_str());
    SoundStop();
    EXPECT_FALSE(headless::SoundPlaying());
}

TEST_F(OneVoice, LoopDoesNotStartOverAPlayingSound) {
    SoundPlay(longOne.c_str());
    SoundLoop(loop.c_str());
    EXPECT_EQ(Outcomes().back(), "skip loop.wav");
    headless::Advance(1000);  // the long sound is over
    SoundLoop(loop.c_str());
    EXPECT_EQ(Outcomes().back(), "loop loop.wav");
    headless::Advance(10000);
    EXPECT_TRUE(headless::SoundPlaying());  // round and round
}

}  // namespace
