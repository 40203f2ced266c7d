// One voice: what a new sound, a loop and a stop do to the one playing.
#include <gtest/gtest.h>

#include "platform/headless.h"
#include "shell/paths.h"
#include "shell/sound.h"
#include "tests/support.h"

#include <unistd.h>

namespace {

// A silent mono 16-bit wave of the given length.
std::string Wave(int ms) {
    const uint32_t rate = 22050, bytes = rate * 2 * ms / 1000;
    std::string w = "RIFF....WAVEfmt ";
    auto put = [&w](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w += static_cast<char>(v >> (8 * i));
    };
    for (auto [v, n] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {rate, 4}, {rate * 2, 4}, {2u, 2}, {16u, 2}}) put(v, n);
    w += "data";
    put(bytes, 4);
    return w + std::string(bytes, '\0');
}

struct OneVoice : ::testing::Test {
    std::wstring longOne, shortOne, loop;
    void SetUp() override {
        StartHeadless();
        const std::string dir = MakeTempFolder();
        auto make = [&dir](const std::string& name, int ms) {
            WriteFile(dir + "/" + name, Wave(ms));
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

TEST_F(OneVoice, MissingFilesAndResourcesAreSilent) {
    SoundPlay(L"/nowhere/at/all.wav");
    EXPECT_EQ(Outcomes().back(), "missing all.wav");
    EXPECT_FALSE(headless::SoundPlaying());
    SoundPlayResource(nullptr, L"SPIN");
    EXPECT_EQ(Outcomes().back(), "missing SPIN");
    SoundLoopResource(nullptr, L"SPIN");
    EXPECT_FALSE(headless::SoundPlaying());
}

// Paths are built beside the program with this system's separator, in one
// buffer that holds the last result.
TEST(Paths, BuiltBesideTheProgramWithThisSystemsSeparator) {
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string folder = exe;
    folder.erase(folder.rfind('/'));
    const wchar_t* wide = ProgramPath(L"Sounds\\reel.wav");
    EXPECT_EQ(std::wstring(wide), std::wstring(folder.begin(), folder.end()) + L"/Sounds/reel.wav");
    EXPECT_EQ(std::string(ProgramPathNarrow("Images\\fruit.bmp")), folder + "/Images/fruit.bmp");
    const std::wstring second = ProgramPath(L"Sounds\\win.wav");
    EXPECT_EQ(std::wstring(wide), second);
}

}  // namespace
