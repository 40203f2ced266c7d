// Files by full path, and the high-score table's first creation.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/system.h"
#include "screens/highscore_file.h"
#include "tests/support.h"

namespace {

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(Files, MoveRefusesAnExistingTargetAndDeleteRemoves) {
    const std::string dir = MakeTempFolder();
    WriteFile(dir + "/a", "new");
    WriteFile(dir + "/b", "old");
    EXPECT_FALSE(MoveFileW(W(dir + "/a").c_str(), W(dir + "/b").c_str()));
    EXPECT_EQ(ReadFile(dir + "/b"), "old");
    EXPECT_TRUE(DeleteFileW(W(dir + "/b").c_str()));
    EXPECT_FALSE(DeleteFileW(W(dir + "/b").c_str()));
    EXPECT_TRUE(MoveFileW(W(dir + "/a").c_str(), W(dir + "/b").c_str()));
    EXPECT_EQ(ReadFile(dir + "/b"), "new");
    EXPECT_FALSE(FileExists(dir + "/a"));
}

TEST(Files, HighScoreTableIsCreatedWithItsFolder) {
    const std::string dir = MakeTempFolder() + "/deep/er";
    setenv("VANTARO_DATA_DIR", dir.c_str(), 1);
    EXPECT_EQ(CreateHighScoreFile(), 1);
    EXPECT_EQ(ReadFile(dir + "/vantarohs.dat"), std::string(240, '\0'));
    WriteFile(dir + "/vantarohs.dat", "anything");
    EXPECT_EQ(CreateHighScoreFile(), 1);  // there already: left alone
    EXPECT_EQ(ReadFile(dir + "/vantarohs.dat"), "anything");
    setenv("VANTARO_DATA_DIR", "/proc/no/such/place", 1);
    EXPECT_EQ(CreateHighScoreFile(), 0);
    setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
}

TEST(Files, DataFolderFollowsTheEnvironment) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("VANTARO_DATA_DIR", "/x/y", 1);
    EXPECT_EQ(HighScorePath("vantarohs.dat"), "/x/y/vantarohs.dat");
    unsetenv("VANTARO_DATA_DIR");
    setenv("XDG_DATA_HOME", "/xdg", 1);
    EXPECT_EQ(HighScorePath("vantarohs.tmp"), "/xdg/vantaro/vantarohs.tmp");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(HighScorePath("vantarohs.dat"), "/home/player/.local/share/vantaro/vantarohs.dat");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
    setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
}

TEST(Files, TextConversionRoundTrips) {
    const WCHAR wide[] = {L'V', 0xE9, 0x20AC, 0x1F352, 0};
    char narrow[32];
    ASSERT_EQ(WideToNarrow(wide, narrow, sizeof narrow), 10u);
    WCHAR back[8];
    ASSERT_EQ(NarrowToWide(narrow, back, 8), 4u);
    EXPECT_EQ(std::wstring(back), std::wstring(wide));
    EXPECT_EQ(WideToNarrow(wide, narrow, 5), 0u);  // does not fit: nothing, rather than a cut character
}

}  // namespace
