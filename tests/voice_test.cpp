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
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    w += "data";
    put(bytes, 4);
    w += std::string(bytes, '\0');
    return w;
}

struct OneVoice : ::testing::Test {
    std::wstring longOne, shortOne, loop;
    void SetUp() override {
        StartHeadless();
        const std::string dir = MakeTempFolder();
        WriteFile(dir + "/long.wav", Wave(900));
        WriteFile(dir + "/short.wav", Wave(100));
        WriteFile(dir + "/loop.wav", Wave(300));
        longOne = std::wstring(dir.begin(), dir.end()) + L"/long.wav";
        shortOne = std::wstring(dir.begin(), dir.end()) + L"/short.wav";
        loop = std::wstring(dir.begin(), dir.end()) + L"/loop.wav";
    }
    std::vector<std::string> Outcomes() const {
        std::vector<std::string> o;
        for (const auto& s : headless::Sounds()) o.push_back(s.file.empty() ? s.outcome : s.outcome + " " + s.file);
        return o;
    }
};

TEST_F(OneVoice, SecondPlayCutsTheFirstOff) {
    SoundPlay(longOne.c_str());
    headless::Advance(50);
    SoundPlay(shortOne.c_str());
    EXPECT_EQ(Outcomes(), (std::vector<std::string>{"stop", "play long.wav", "stop", "play short.wav"}));
    headless::Advance(150);
    EXPECT_FALSE(headless::SoundPlaying());  // the short one ended; the long one was cut
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

TEST_F(OneVoice, PlayStopsALoop) {
    SoundLoop(loop.c_str());
    SoundPlay(shortOne.c_str());
    headless::Advance(200);
    EXPECT_FALSE(headless::SoundPlaying());
    SoundLoop(loop.c_str());
    SoundStop();
    EXPECT_FALSE(headless::SoundPlaying());
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

TEST(Paths, BuiltBesideTheProgramWithThisSystemsSeparator) {
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::string folder = exe;
    folder.erase(folder.rfind('/'));
    const wchar_t* wide = ProgramPath(L"Sounds\\reel.wav");
    EXPECT_EQ(std::wstring(wide), std::wstring(folder.begin(), folder.end()) + L"/Sounds/reel.wav");
    EXPECT_EQ(std::string(ProgramPathNarrow("Images\\fruit.bmp")), folder + "/Images/fruit.bmp");
}

TEST(Paths, OneBufferHoldsTheLastResult) {
    const wchar_t* first = ProgramPath(L"Sounds\\spin.wav");
    const std::wstring second = ProgramPath(L"Sounds\\win.wav");
    EXPECT_EQ(std::wstring(first), second);
}

}  // namespace
