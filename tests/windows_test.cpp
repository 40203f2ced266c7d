// What Windows does its own way, where the Linux tests' cases cannot go:
// the single copy over a named pipe against friendly and hostile peers and
// a first copy that never answers; closing by the console's Ctrl+C (unless
// the game was started ignoring it) and by the session's end; a read-only
// high-score table; and where the player's files live. Built only for
// Windows (run under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/app/instance.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/os/text.h"
#include "tests/system.h"

namespace {

using platform::InstanceClaim;
using platform::InstanceRelease;
using platform::InstanceSocketName;

const std::string Game = VANTARO_GAME;

std::mutex HeardLock;
std::vector<std::string> Heard;

void Hear(const std::string& request) {
    std::lock_guard<std::mutex> lock(HeardLock);
    Heard.push_back(request);
}

std::vector<std::string> TakeHeard() {
    std::lock_guard<std::mutex> lock(HeardLock);
    return std::move(Heard);
}

HANDLE Connect(const std::string& pipe) {
    return CreateFileW(platform::Wide(pipe.c_str()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

// Sends bytes to the copy holding the pipe, as a peer of this user's, and
// returns the line that came back before the copy hung up.
std::string Ask(const std::string& pipe, const std::string& bytes) {
    const HANDLE peer = Connect(pipe);
    if (peer == INVALID_HANDLE_VALUE) return "?";
    DWORD n = 0;
    WriteFile(peer, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);  // cut short by a hang-up
    std::string got;
    char ch;
    while (got.find('\n') == std::string::npos && ReadFile(peer, &ch, 1, &n, nullptr) && n == 1) got += ch;
    CloseHandle(peer);
    return got;
}

TEST(SingleInstance, OnlyTheHandOverIsCarriedOutAndNoPeerHoldsUpClosing) {
    const std::string name = MakeTempFolder(), pipe = InstanceSocketName(name);
    ASSERT_TRUE(InstanceClaim(name, Hear));
    const struct {
        const char* what;
        std::string bytes;
        bool carried;
    } cases[] = {
        {"a second copy's raise", "raise\tFIRSTGX\tVantaro\n", true},
        {"its request to present", "post\t1124\t0\t0\tFIRSTGX\tVantaro\n", true},
        {"a command (RANDOM)", "post\t273\t15\t0\tFIRSTGX\tVantaro\n", false},
        {"a close", "post\t16\t0\t0\tFIRSTGX\tVantaro\n", false},
        {"a present with parameters", "post\t1124\t1\t0\tFIRSTGX\tVantaro\n", false},
        {"an endless line", std::string(100000, 'x'), false},
    };
    for (const auto& c : cases) {
        TakeHeard();
        EXPECT_EQ(Ask(pipe, c.bytes), c.carried ? "ok\n" : "") << c.what;
        EXPECT_EQ(TakeHeard().size(), c.carried ? 1u : 0u) << c.what;
    }
    // A peer that trickles a byte now and then is dropped after a second,
    // and closing never waits for it.
    std::thread trickler([&pipe] {
        const HANDLE peer = Connect(pipe);
        DWORD n;
        for (int i = 0; i < 600 && peer != INVALID_HANDLE_VALUE && WriteFile(peer, "r", 1, &n, nullptr); ++i) Sleep(100);
        if (peer != INVALID_HANDLE_VALUE) CloseHandle(peer);
    });
    Sleep(300);
    const auto start = std::chrono::steady_clock::now();
    InstanceRelease();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    trickler.join();
}

// The game as a second copy on the data folder this program holds: it hands
// over (raise, then present) and ends, even with more idle peers connected
// than the holder serves at a time. On another data folder it plays alone.
TEST(SingleInstance, ASecondCopyHandsOverBesideIdlePeersAndAnotherFolderPlaysAlone) {
    const std::string data = MakeTempFolder(), other = MakeTempFolder();
    const std::string name = PlatformRealPath(data);
    ASSERT_TRUE(InstanceClaim(name, Hear));
    const std::string pipe = InstanceSocketName(name);
    std::vector<HANDLE> idle;
    for (int i = 0; i < 12; ++i) {
        HANDLE peer = Connect(pipe);
        if (peer == INVALID_HANDLE_VALUE && WaitNamedPipeW(platform::Wide(pipe.c_str()).c_str(), 100)) peer = Connect(pipe);
        if (peer != INVALID_HANDLE_VALUE) idle.push_back(peer);
    }
    EXPECT_GE(idle.size(), 8u);  // as many as are served at a time
    TakeHeard();
    const std::vector<std::string> dummy = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
    RunResult r = ::Run({Game, "--mute", "--data-dir", data}, dummy, 30);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "vantaro: Vantaro is already running; brought it to the front\n");
    EXPECT_EQ(TakeHeard(), (std::vector<std::string>{"raise\tFIRSTGX\tVantaro", "post\t1124\t0\t0\tFIRSTGX\tVantaro"}));
    for (HANDLE peer : idle) CloseHandle(peer);

    std::vector<std::string> traced = dummy;
    traced.push_back("VANTARO_TRACE=1");
    r = ::Run({Game, "--mute", "--data-dir", other}, traced, 30, "output window-surface", SIGINT);
    EXPECT_EQ(r.status, 128 + SIGINT) << r.err;
    EXPECT_NE(r.err.find("single copy: listening on"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("already running"), std::string::npos) << r.err;
    EXPECT_TRUE(TakeHeard().empty());
    InstanceRelease();
}

// A process that holds the pipe's name but never answers (hung, or no copy
// of the game at all) keeps no one from playing: within a second or two the
// claim plays alone, and says why.
TEST(SingleInstance, AHolderThatNeverAnswersKeepsNoOneFromPlaying) {
    const std::string name = MakeTempFolder();
    const HANDLE squatter = CreateNamedPipeW(platform::Wide(InstanceSocketName(name).c_str()).c_str(),
                                             PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE, PIPE_TYPE_BYTE, 1,
                                             512, 512, 0, nullptr);
    ASSERT_NE(squatter, INVALID_HANDLE_VALUE);
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(InstanceClaim(name, Hear));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_LT(seconds, 3.0);
    EXPECT_FALSE(platform::InstanceOtherCopyRunning());
    EXPECT_EQ(said, "vantaro: another copy holds this data folder but does not answer; starting anyway\n");
    InstanceRelease();
    CloseHandle(squatter);
}

// Started ignoring Ctrl+C (as cmd's start /b starts a program), the game is
// not stopped by one: a simulation plays on to its end.
TEST(Closing, ACtrlCTheGameWasStartedIgnoringDoesNotStopIt) {
    const std::string temp = MakeTempFolder();
    ShareConsole();
    SetConsoleCtrlHandler(nullptr, TRUE);  // inherited by what this program starts
    RunResult r = ::Run({Game, "--simulate", "200"}, {TEMP_HOME + ("=" + temp), "VANTARO_TRACE=1"}, 120, "stylus down",
                      SIGINT);
    SetConsoleCtrlHandler(nullptr, FALSE);
    EXPECT_EQ(r.status, 0) << r.err.substr(r.err.size() - std::min<size_t>(r.err.size(), 300));
    EXPECT_EQ(r.out.rfind("200 games, strategy collect", 0), 0u) << r.out;
    EXPECT_TRUE(ListFolder(temp).empty());
}

// The session ending (the player logs off, the system shuts down) is told
// to the game's window: the game closes as for any close request and says
// so in its status, 128 + SIGTERM, as on Linux.
TEST(Closing, TheSessionEndingClosesTheWindowedGame) {
    const std::string data = MakeTempFolder();
    const RunResult r = ::Run({Game, "--mute"}, {"VANTARO_DATA_DIR=" + data, "VANTARO_TRACE=1", "SDL_AUDIODRIVER=dummy"},
                            30, "output window-surface", SIGTERM);
    if (r.err.find("no window can be opened") != std::string::npos) GTEST_SKIP() << "no display: " << r.err;
    EXPECT_EQ(r.status, 128 + SIGTERM) << r.err;
    EXPECT_NE(r.err.find("close request"), std::string::npos) << r.err;
}

// A table the player made read-only is left as it is, and the save is
// refused with a word; made writable again, it takes the next.
TEST(HighScoreFile, AReadOnlyTableIsKeptAndTheSaveRefusedWithAWord) {
    const std::string folder = MakeTempFolder(), table = folder + "/vantarohs.dat";
    const std::vector<std::string> env = {"VANTARO_DATA_DIR=" + folder};
    WriteFile(table, std::string(240, '\0'));
    ASSERT_EQ(::Run({HIGHSCORE_INSERT, "OLD", "40"}, env).out, "1\n");
    const std::string saved = ReadFile(table);
    const std::wstring wide = platform::Wide(table.c_str());
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    RunResult r = ::Run({HIGHSCORE_INSERT, "NEW", "99"}, env);
    EXPECT_EQ(r.out, "0\n");
    EXPECT_NE(r.err.find("vantaro: High Scores: Your score could not be saved: the table is read-only."),
              std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(table), saved);
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(::Run({HIGHSCORE_INSERT, "NEW", "99"}, env).out, "1\n");
}

// The table lives in --data-dir, else VANTARO_DATA_DIR (made absolute), else
// %APPDATA%\Vantaro, else the profile's roaming folder; the settings in
// %APPDATA%\Vantaro. Every path has forward slashes, and a name outside the
// code page's characters comes through whole.
TEST(Folders, DataAndSettingsFollowTheEnvironment) {
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    } saved[] = {{"VANTARO_DATA_DIR", "", false}, {"APPDATA", "", false}, {"USERPROFILE", "", false}};
    for (Saved& s : saved)
        if (const char* v = std::getenv(s.name)) s = {s.name, v, true};
    wchar_t here[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, here);
    std::string cwd = platform::Narrow(here);
    for (char& c : cwd)
        if (c == '\\') c = '/';

    setenv("VANTARO_DATA_DIR", "C:\\x\\y", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.dat"), "C:/x/y/vantarohs.dat");
    setenv("VANTARO_DATA_DIR", "rel\\sub", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.dat"), cwd + "/rel/sub/vantarohs.dat");
    unsetenv("VANTARO_DATA_DIR");
    setenv("APPDATA", "C:\\Users\\Ann \xf0\x9f\x8d\x92\\AppData\\Roaming", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.tmp"), "C:/Users/Ann \xf0\x9f\x8d\x92/AppData/Roaming/Vantaro/vantarohs.tmp");
    EXPECT_EQ(PlatformSettingsPath(), "C:/Users/Ann \xf0\x9f\x8d\x92/AppData/Roaming/Vantaro/settings.ini");
    unsetenv("APPDATA");
    setenv("USERPROFILE", "C:\\Users\\Bo", 1);
    EXPECT_EQ(PlatformHighScorePath("vantarohs.dat"), "C:/Users/Bo/AppData/Roaming/Vantaro/vantarohs.dat");
    for (const Saved& s : saved) {
        if (s.set) setenv(s.name, s.value.c_str(), 1);
        else unsetenv(s.name);
    }
}

}  // namespace
