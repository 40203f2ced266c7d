// The high-score file: ranks and insertions against a model of the table
// kept here, the file byte for byte, damaged and strange files, and every
// way an insertion can fail or be cut short; its first creation and the data
// folder. And files by full path, and text conversion.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/headless/headless.h"
#include "platform/winapi/kernel.h"
#include "screens/highscore_file.h"
#include "screens/highscore_table.h"
#include "tests/support.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/os/text.h"

namespace {

// The table as the rules say it must be: twelve records of 20 bytes (a name
// of at most 15, then the score), best first, a new score below every entry
// it does not beat strictly.
struct Model {
    std::string bytes = std::string(240, '\0');
    static std::string Record(const std::string& name, int32_t score) {
        std::string r = name.substr(0, 15) + std::string(20 - std::min<size_t>(name.size(), 15), '\0');
        for (int i = 0; i < 4; ++i) r[16 + i] = static_cast<char>(static_cast<uint32_t>(score) >> (8 * i));
        return r;
    }
    int32_t Score(int i) const {
        uint32_t u = 0;
        for (int k = 3; k >= 0; --k) u = u << 8 | static_cast<uint8_t>(bytes[20 * i + 16 + k]);
        return static_cast<int32_t>(u);
    }
    int Rank(int32_t score) const {
        for (int i = 0; i < 12; ++i)
            if (Score(i) < score) return i + 1;
        return 0;
    }
    int Insert(const std::string& name, int32_t score) {
        const int rank = Rank(score);
        if (rank) {
            bytes.insert(20 * (rank - 1), Record(name, score));
            bytes.resize(240);
        }
        return rank;
    }
};

struct HighScores : ::testing::Test {
    std::string folder = MakeTempFolder();
    std::string table = folder + "/vantarohs.dat";
    std::string temp = folder + "/vantarohs.tmp";
    void SetUp() override {
        setenv("VANTARO_DATA_DIR", folder.c_str(), 1);
        ASSERT_EQ(CreateHighScoreFile(), 1);
    }
    void TearDown() override {
        HighScoreFailAt = HighScoreStopAt = -1;
        HighScoreLockWaitMs = 10000;
        setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
    }
    // Runs the insertion helper; its exit status (128 + signal when killed)
    // and the rank it printed.
    RunResult InsertApart(const std::string& name, int32_t score, const std::vector<std::string>& env = {}) {
        std::vector<std::string> all = {"VANTARO_DATA_DIR=" + folder};
        all.insert(all.end(), env.begin(), env.end());
        return ::Run({HIGHSCORE_INSERT, name, std::to_string(score)}, all, 30);
    }
    // The texts of the boxes shown since the last look, all "High Scores".
    size_t boxesSeen = headless::MessageBoxes().size();
    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        const auto& boxes = headless::MessageBoxes();
        for (; boxesSeen < boxes.size(); ++boxesSeen) {
            EXPECT_EQ(boxes[boxesSeen].caption, "High Scores");
            texts.push_back(boxes[boxesSeen].text);
        }
        return texts;
    }
    template <typename F>
    static std::string StderrOf(F f) {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }
};

const std::string Unsaved = "Your score could not be saved: ";

TEST_F(HighScores, ThousandsOfInsertionsFollowTheModelByteForByte) {
    Model model;
    std::mt19937 random(7);
    const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0};
    for (int n = 0; n < 3000; ++n) {
        std::string name;
        const int length = random() % 20 == 0 ? 15 : static_cast<int>(random() % 13);
        for (int i = 0; i < length; ++i) name += static_cast<char>('A' + random() % 26);
        // Small scores tie often; now and then a negative one or an extreme.
        int32_t score = static_cast<int32_t>(random() % 24) - 4;
        if (random() % 50 == 0) score = extremes[random() % 4];
        const int32_t probe = static_cast<int32_t>(random() % 30) - 6;
        ASSERT_EQ(HighScoreRank(probe), model.Rank(probe)) << n;
        ASSERT_EQ(HighScoreRank(score), model.Rank(score)) << n;
        ASSERT_EQ(InsertHighScore(name.c_str(), score), model.Insert(name, score)) << n;
        ASSERT_EQ(ReadFile(table), model.bytes) << n;
    }
    EXPECT_FALSE(FileExists(temp));
    HighScoreRecord shown[12];
    ASSERT_EQ(ReadHighScores(shown), 1);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(shown[i].score, model.Score(i));
        EXPECT_STREQ(shown[i].name, model.bytes.c_str() + 20 * i);
    }
}

TEST_F(HighScores, DamagedAndStrangeTablesAreReadAsFarAsTheyGo) {
    HighScoreRecord shown[12];
    // Empty and short: the missing records are empty entries.
    WriteFile(table, "");
    EXPECT_EQ(ReadHighScores(shown), 1);
    EXPECT_EQ(shown[0].name[0], 0);
    EXPECT_EQ(HighScoreRank(1), 1);
    WriteFile(table, Model::Record("ONE", 50) + "TW");  // 22 bytes
    EXPECT_EQ(ReadHighScores(shown), 1);
    EXPECT_STREQ(shown[0].name, "ONE");
    EXPECT_EQ(shown[0].score, 50);
    EXPECT_STREQ(shown[1].name, "TW");
    EXPECT_EQ(shown[1].score, 0);
    EXPECT_EQ(HighScoreRank(10), 2);
    EXPECT_EQ(InsertHighScore("NEW", 10), 2);
    EXPECT_EQ(ReadFile(table).size(), 240u);  // written whole again

    // Long: what follows the twelve records is ignored and not kept.
    Model model;
    WriteFile(table, model.bytes + std::string(60, 'Z'));
    EXPECT_EQ(HighScoreRank(1), 1);
    EXPECT_EQ(InsertHighScore("A", 1), model.Insert("A", 1));
    EXPECT_EQ(ReadFile(table), model.bytes);

    // A name without a terminator, and bytes from 128 up: at most 15
    // characters are read, the bytes as they are.
    std::string odd(240, '\0');
    for (int i = 0; i < 20; ++i) odd[i] = 'Q';
    for (int i = 20; i < 36; ++i) odd[i] = static_cast<char>(0x80 + i);
    odd[16] = 7;
    WriteFile(table, odd);
    ASSERT_EQ(ReadHighScores(shown), 1);
    EXPECT_EQ(std::string(shown[0].name), std::string(15, 'Q'));
    EXPECT_EQ(std::strlen(shown[1].name), 15u);
    EXPECT_EQ(static_cast<unsigned char>(shown[1].name[0]), 0x94);
    char row[64];
    FormatHighScoreRow(row, sizeof row, 1, shown[0].name, shown[0].score);
    EXPECT_LE(std::strlen(row), 29u);  // one line on the screen
    FormatHighScoreRow(row, sizeof row, 12, "AB\nCD", INT32_MIN);
    EXPECT_EQ(std::strchr(row, '\n'), nullptr);
    EXPECT_LE(std::strlen(row), 29u);

    // No table to be had: start-up tells of it once and goes on (there is
    // something), nothing is offered, a save is refused with a word, and
    // nothing is written. A FIFO is never waited on.
    enum Kind { Folder, Fifo, Link };
    struct Unusable {
        Kind kind;
        const char* link;  // what a symbolic link names
        const char* reason;
    };
    for (const Unusable& c : {Unusable{Folder, "", "is a folder"},
#ifndef _WIN32  // no FIFOs, and links only with a privilege
                              Unusable{Fifo, "", "is not a regular file"},
                              Unusable{Link, "/dev/zero", "is not a regular file"},
                              Unusable{Link, "gone", "is a dangling symbolic link"},
                              Unusable{Link, "vantarohs.dat", "Too many levels of symbolic links"}
#endif
         }) {
        SCOPED_TRACE(c.reason + std::string(" ") + c.link);
        std::remove(table.c_str());
        ASSERT_TRUE(c.kind == Folder ? MakeFolder(table)
                    : c.kind == Fifo ? MakeNonRegular(table)
                                     : LinkOrCopy(c.link, table));
        const std::string err = StderrOf([] { EXPECT_EQ(CreateHighScoreFile(), 1); });
        EXPECT_NE(err.find("vantaro: cannot use the high-score table " + table + ": " + c.reason), std::string::npos)
            << err;
        EXPECT_EQ(Boxes(), std::vector<std::string>{"The high-score table cannot be used; scores will not be saved."});
        EXPECT_EQ(ReadHighScores(shown), 0);
        EXPECT_EQ(HighScoreRank(1000), 0);
        EXPECT_EQ(InsertHighScore("X", 1000), 0);
        EXPECT_EQ(Boxes(), std::vector<std::string>{Unsaved + "the table cannot be read."});
        EXPECT_FALSE(FileExists(temp));
        std::error_code error;
        std::filesystem::remove(table, error);
    }
    // No table at all.
    EXPECT_EQ(HighScoreRank(1000), 0);
    EXPECT_EQ(InsertHighScore("X", 1000), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Unsaved + "the table cannot be read."});
    EXPECT_FALSE(FileExists(table));
}

TEST_F(HighScores, EveryFailedStepKeepsTheOldTable) {
    ASSERT_EQ(InsertHighScore("OLD", 40), 1);
    const std::string old = ReadFile(table);
    // Up to a new table that was renamed into place but could not be kept
    // (its folder not synced; a page's storage refusing it): the old one is
    // put back.
    for (int step = HS_TEMP_OPEN; step <= HS_KEPT; ++step) {
        HighScoreFailAt = step;
        EXPECT_EQ(InsertHighScore("NEW", 90), 0) << step;
        EXPECT_EQ(ReadFile(table), old) << step;
        EXPECT_FALSE(FileExists(temp)) << step;
        const std::vector<std::string> boxes = Boxes();
        EXPECT_TRUE(boxes.size() == 1 && boxes[0].rfind(Unsaved, 0) == 0) << step;
        if (step == HS_KEPT) {
            EXPECT_EQ(boxes, std::vector<std::string>{Unsaved + "it could not be stored."});
        }
    }
    HighScoreFailAt = -1;
    // A temporary file that cannot be made (a folder in its way).
    ASSERT_TRUE(MakeFolder(temp));
    WriteFile(temp + "/inside", "x");
    const std::string err = StderrOf([] { EXPECT_EQ(InsertHighScore("NEW", 90), 0); });
    EXPECT_NE(err.find("save the high score in " + folder + ": vantarohs.tmp: Is a directory"), std::string::npos) << err;
    EXPECT_EQ(Boxes(), std::vector<std::string>{Unsaved + "vantarohs.tmp is in the way."});
    EXPECT_EQ(ReadFile(table), old);
    EXPECT_EQ(ReadFile(temp + "/inside"), "x");  // not ours to remove
    std::error_code error;
    std::filesystem::remove_all(temp, error);
#ifndef _WIN32
    // A temporary file left by a killed insertion, or planted as a link,
    // is replaced, never written through.
    WriteFile(folder + "/victim", "keep");
    ASSERT_EQ(symlink((folder + "/victim").c_str(), temp.c_str()), 0);
    EXPECT_EQ(InsertHighScore("NEW", 90), 1);
    EXPECT_EQ(ReadFile(folder + "/victim"), "keep");
    struct stat st;
    ASSERT_EQ(lstat(table.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_TRUE(Boxes().empty());
#endif
}

#ifndef _WIN32  // permission bits; Windows' read-only table: windows_test.cpp
TEST_F(HighScores, ASaveTheFolderOrTableRefusesIsTold) {
    // As a user the permission bits bind (root is not one): a table the user
    // may not write stays, though the folder would let a rename replace it.
    ASSERT_EQ(InsertHighScore("OLD", 40), 1);
    const std::string saved = ReadFile(table);
    std::vector<std::string> argv = {HIGHSCORE_INSERT, "NEW", "99"};
    if (geteuid() == 0)
        argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    if (!FileExists(argv[0])) GTEST_SKIP() << "no setpriv to drop root with";
    struct Refusal {
        mode_t folderMode, tableMode;
        const char* why;
    };
    for (const Refusal& c :
         {Refusal{0777, 0444, "the table is read-only."}, Refusal{0555, 0666, "the folder cannot be written."}}) {
        chmod(folder.c_str(), c.folderMode);
        chmod(table.c_str(), c.tableMode);
        RunResult r = ::Run(argv, {"VANTARO_DATA_DIR=" + folder}, 30);
        EXPECT_EQ(r.out, "0\n") << c.why;
        EXPECT_NE(r.err.find("vantaro: High Scores: " + Unsaved + c.why), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(table), saved) << c.why;
    }
    chmod(folder.c_str(), 0700);
}

TEST_F(HighScores, AFullDiskKeepsTheOldTable) {
    // The data folder on a tmpfs of one page, which the table fills: the
    // new table's write fails for want of room. Needs a private mount
    // namespace; where there is none, there is nothing to test.
    const std::string helper = HIGHSCORE_INSERT;
    const std::string script = "set -e; mount -t tmpfs -o size=4k tmpfs '" + folder +
                               "'; head -c 240 /dev/zero > '" + table + "'; "
                               "dd if=/dev/zero of='" + folder + "/filler' bs=4096 count=1 2>/dev/null || true; "
                               "before=$(od -An -tx1 '" + table + "' | tr -d ' \\n'); "
                               "rank=$(VANTARO_DATA_DIR='" + folder + "' '" + helper + "' FULL 50); "
                               "after=$(od -An -tx1 '" + table + "' | tr -d ' \\n'); "
                               "[ -e '" + temp + "' ] && echo temp-left; "
                               "echo \"$rank\"; [ \"$before\" = \"$after\" ] && echo same";
    RunResult probe = ::Run({"/usr/bin/unshare", "-rm", "true"});
    if (probe.status != 0) GTEST_SKIP() << "no private mount namespace here";
    RunResult r = ::Run({"/usr/bin/unshare", "-rm", "sh", "-c", script});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\nsame\n") << r.err;
    EXPECT_NE(r.err.find("cannot save the high score in " + folder + ": vantarohs.tmp: No space left on device"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("vantaro: High Scores: " + Unsaved + "the disk is full."), std::string::npos) << r.err;
}
#endif

TEST_F(HighScores, AnInsertionKilledAtAnyStepLeavesTheOldTableOrTheNew) {
    ASSERT_EQ(InsertHighScore("OLD", 40), 1);
    const std::string old = ReadFile(table);
    Model model;
    model.Insert("OLD", 40);
    model.Insert("NEW", 90);
    const std::string updated = model.bytes;
    for (int step = HS_LOCKED; step < HS_STEPS; ++step) {
        WriteFile(table, old);
        RunResult r = InsertApart("NEW", 90, {"VANTARO_HS_STOP_AT=" + std::to_string(step)});
        EXPECT_EQ(r.status, 128 + SIGKILL) << step;
        const std::string now = ReadFile(table);
        EXPECT_TRUE(now == old || now == updated) << step;
        EXPECT_EQ(now == updated, step >= HS_RENAMED) << step;
        // What it left behind does not stand in the way of the next.
        RunResult next = InsertApart("AFTER", 60);
        EXPECT_EQ(next.out, now == updated ? "2\n" : "1\n") << step;
    }
}

TEST_F(HighScores, AnInsertionWaitsForAnotherToFinish) {
    const int held = PlatformOpenFile(table, nullptr);  // not inherited by the helper
    ASSERT_TRUE(PlatformLockFile(held, 0));  // as another copy in the middle of its insertion
    std::atomic<bool> done{false};
    RunResult r;
    std::thread helper([&] {
        r = InsertApart("WAIT", 70);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(done);  // still waiting
    EXPECT_EQ(ReadFile(table), std::string(240, '\0'));
    PlatformCloseFile(held);
    helper.join();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(ReadFile(table).substr(0, 5), std::string("WAIT\0", 5));

    // But not for ever: a lock never let go costs the save, with a word.
    HighScoreLockWaitMs = 100;
    const std::string before = ReadFile(table);
    const int stuck = PlatformOpenFile(table, nullptr);
    ASSERT_TRUE(PlatformLockFile(stuck, 0));
    EXPECT_EQ(InsertHighScore("STUCK", 90), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Unsaved + "the table is in use."});
    EXPECT_EQ(ReadFile(table), before);
    PlatformCloseFile(stuck);
}

#ifndef _WIN32  // links only with a privilege
TEST_F(HighScores, ATableLinkedFromElsewhereIsSavedThroughTheLink) {
    // A relative link, which names the table from the link's own folder.
    const std::string elsewhere = MakeTempFolder();
    WriteFile(elsewhere + "/scores", std::string(240, '\0'));
    unlink(table.c_str());
    const std::string link = "../" + elsewhere.substr(elsewhere.rfind('/') + 1) + "/scores";
    ASSERT_EQ(symlink(link.c_str(), table.c_str()), 0);
    Model model;
    for (const char* name : {"FIRST", "SECOND"}) {
        EXPECT_EQ(InsertHighScore(name, 70), model.Insert(name, 70));
        struct stat st;
        ASSERT_EQ(lstat(table.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
        EXPECT_EQ(ReadFile(elsewhere + "/scores"), model.bytes) << name;
    }
    EXPECT_EQ(ListFolder(elsewhere), std::vector<std::string>{"scores"});
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"vantarohs.dat"});
    EXPECT_TRUE(Boxes().empty());
}
#endif

TEST(Files, HighScoreTableIsCreatedWithItsFolder) {
    const std::string dir = MakeTempFolder() + "/deep/er";
    setenv("VANTARO_DATA_DIR", dir.c_str(), 1);
    EXPECT_EQ(CreateHighScoreFile(), 1);
    EXPECT_EQ(ReadFile(dir + "/vantarohs.dat"), std::string(240, '\0'));
    WriteFile(dir + "/vantarohs.dat", "anything");
    EXPECT_EQ(CreateHighScoreFile(), 1);  // there already: left alone
    EXPECT_EQ(ReadFile(dir + "/vantarohs.dat"), "anything");
    const std::string file = MakeTempFolder() + "/file";  // no folder can be made under a file
    WriteFile(file, "");
    setenv("VANTARO_DATA_DIR", (file + "/sub").c_str(), 1);
    EXPECT_EQ(CreateHighScoreFile(), 0);
    setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
}

#ifndef _WIN32  // Windows' folders: windows_test.cpp
TEST(Files, DataFolderFollowsTheEnvironment) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("VANTARO_DATA_DIR", "/x/y", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.dat"), "/x/y/vantarohs.dat");
    unsetenv("VANTARO_DATA_DIR");
    setenv("XDG_DATA_HOME", "/xdg", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.tmp"), "/xdg/vantaro/vantarohs.tmp");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.dat"), "/home/player/.local/share/vantaro/vantarohs.dat");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
    setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1);
}

#endif

// The wide strings are the system's: one code point a character, or, where
// wchar_t has 16 bits (Windows), UTF-16, whose cherry takes two.
TEST(Files, TextConversionRoundTrips) {
#ifdef _WIN32
    const WCHAR wide[] = {L'V', 0xE9, 0x20AC, 0xD83C, 0xDF52, 0};
#else
    const WCHAR wide[] = {L'V', 0xE9, 0x20AC, 0x1F352, 0};
#endif
    char narrow[32];
    ASSERT_EQ(PlatformWideToNarrow(wide, narrow, sizeof narrow), 10u);
    EXPECT_EQ(std::string(narrow), "V\xc3\xa9\xe2\x82\xac\xf0\x9f\x8d\x92");
    WCHAR back[8];
    ASSERT_EQ(PlatformNarrowToWide(narrow, back, 8), std::wstring(wide).size());
    EXPECT_EQ(std::wstring(back), std::wstring(wide));
    EXPECT_EQ(PlatformWideToNarrow(wide, narrow, 5), 0u);  // does not fit: nothing, rather than a cut character
}

}  // namespace
