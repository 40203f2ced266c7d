// The player's settings: read tolerantly, kept when the player changes one
// (window size, full screen, mute, volume), never from the command line,
// and the volume and mute keys at work on SDL's dummy video driver, where
// the screensaver is held off once the player plays.
#include <gtest/gtest.h>

#include <SDL.h>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdlib>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/app/settings.h"
#include "platform/winapi/kernel.h"
#include "support.h"
#include "platform/os/files.h"

namespace {

const std::string Game = VANTARO_GAME;

TEST(Settings, DamagedLinesAreNamedAndTheRestIsTaken) {
    const struct {
        const char* text;
        int scale, volume;
        bool fullscreen, mute;
        std::vector<std::string> complaints;
    } cases[] = {
        {"", 0, 10, false, false, {}},
        {"# mine\n\nscale=3\r\nfullscreen=1\nmute = 1\nvolume=40\n", 3, 4, true, true, {}},
        {"scale=9\nvolume=45\nmute=yes\ncolour=red\njunk\nvolume=-10\nscale=2", 2, 10, false, false,
         {"line 1 'scale=9' needs a whole number from 1 to 8", "line 2 'volume=45' needs 0, 10, 20 ... or 100",
          "line 3 'mute=yes' needs 0 or 1", "line 4 'colour=red' is no setting", "line 5 'junk' is not name=value",
          "line 6 'volume=-10' needs 0, 10, 20 ... or 100"}},
        {"\x01\x02=\xff\n", 0, 10, false, false, {"line 1 '?" "?=\xff' is no setting"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> complaints;
        const PlatformSettings s = platform::ParseSettings(c.text, &complaints);
        EXPECT_EQ(s.scale, c.scale) << c.text;
        EXPECT_EQ(s.volume, c.volume) << c.text;
        EXPECT_EQ(s.fullscreen, c.fullscreen) << c.text;
        EXPECT_EQ(s.mute, c.mute) << c.text;
        EXPECT_EQ(complaints, c.complaints) << c.text;
        // What is written reads back the same, without a complaint.
        complaints.clear();
        const PlatformSettings again = platform::ParseSettings(platform::FormatSettings(s), &complaints);
        EXPECT_TRUE(complaints.empty());
        EXPECT_EQ(platform::FormatSettings(again), platform::FormatSettings(s));
    }
}

// The settings kept in a scratch folder, by the platform on a backend.
struct SettingsFolder : ::testing::Test {
    std::string config = MakeTempFolder();
    std::string file = SettingsFileIn(config);
    std::string before = std::getenv(SETTINGS_HOME) ? std::getenv(SETTINGS_HOME) : "";

    void SetUp() override { setenv(SETTINGS_HOME, config.c_str(), 1); }
    void TearDown() override {
        PlatformShutdown();
        setenv(SETTINGS_HOME, before.c_str(), 1);
        StartHeadless();
    }
    static void StartOn(BackendKind backend, bool mute) {
        PlatformOptions options;
        options.backend = backend;
        options.keepSettings = true;
        options.mute = mute;
        PlatformSelect(options);
        std::string error;
        ASSERT_TRUE(PlatformInit(&error)) << error;
    }
};

// SDL's dummy video driver.
struct KeptSettings : SettingsFolder {
    HWND window = nullptr;

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SettingsFolder::SetUp();
    }
    void Start(bool mute = false) {
        StartOn(BackendKind::Sdl, mute);
        if (HasFatalFailure()) return;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"kept";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, L"kept", L"Vantaro", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOW);
    }
    static SDL_Window* Sdl() {
        for (Uint32 id = 1; id < 16; ++id)
            if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
        return nullptr;
    }
    // The key pressed and let go; the keys the game was given.
    static std::vector<int> Press(SDL_Keycode key) {
        for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event e = {};
            e.type = type;
            e.key.keysym.sym = key;
            SDL_PushEvent(&e);
        }
        return Pump(0);
    }
    // Lets ms pass, taking every event; returns the keys the game was given.
    static std::vector<int> Pump(DWORD ms) {
        const DWORD until = GetTickCount() + ms;
        std::vector<int> keys;
        do {
            PlatformPause(10);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message == WM_KEYDOWN) keys.push_back(static_cast<int>(msg.wParam));
        } while (GetTickCount() < until);
        return keys;
    }
    static std::string Title() { return SDL_GetWindowTitle(Sdl()); }
};

TEST_F(KeptSettings, WhatThePlayerChangesComesBackAndTheCommandLineIsNotKept) {
    Start();
    ASSERT_NE(Sdl(), nullptr);
    EXPECT_FALSE(PlatformMuted());
    EXPECT_EQ(PlatformVolume(), 10);
    EXPECT_FALSE(FileExists(file));  // nothing changed, nothing written
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());  // nobody plays yet

    // Volume down twice and up once (keypad and the = / + key), then mute:
    // the keys never reach the game, the level shows in the title.
    for (SDL_Keycode key : {SDLK_MINUS, SDLK_KP_MINUS, SDLK_EQUALS}) EXPECT_TRUE(Press(key).empty());
    EXPECT_EQ(PlatformVolume(), 9);
    EXPECT_EQ(Title(), "Vantaro - Volume 90%");
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());  // held off while the player plays
    Press(SDLK_m);
    EXPECT_TRUE(PlatformMuted());
    EXPECT_EQ(Title(), "Vantaro - Sound off");
    EXPECT_TRUE(Press(SDLK_KP_PLUS).empty());
    EXPECT_EQ(Title(), "Vantaro - Volume 100% (sound off)");
    EXPECT_EQ(Press(SDLK_c), std::vector<int>{'C'});  // the game's own keys still reach it
    Pump(2100);
    EXPECT_EQ(Title(), "Vantaro");  // gone after two seconds
    Press(SDLK_MINUS);
    for (int i = 0; i < 12; ++i) Press(i % 2 ? SDLK_PLUS : SDLK_EQUALS);  // no further than 100 %
    EXPECT_EQ(PlatformVolume(), 10);
    Press(SDLK_MINUS);
    Press(SDLK_m);
    EXPECT_EQ(Title(), "Vantaro - Sound on, volume 90%");

    // The player drags the window to 1 x and switches full screen on (F11):
    // the file follows, written whole.
    for (int w : {400, 300, 250}) {
        SDL_SetWindowSize(Sdl(), w, w * 4 / 3);
        Pump(100);
    }
    EXPECT_EQ(ReadFile(file).find("window"), std::string::npos);  // not while it is dragged
    Pump(500);
    Press(SDLK_F11);
    Pump(600);
    EXPECT_EQ(ReadFile(file), "# Vantaro's settings, written by the game whenever they change.\n"
                              "window=250x333\nfullscreen=1\nmute=0\nvolume=90\n");
    EXPECT_FALSE(FileExists(file + ".tmp"));
    PlatformShutdown();

    // The next start takes them back; a --mute of the command line mutes
    // that run only: a change then writes the file's own mute.
    WriteFile(file, ReadFile(file) + "colour=red\n");
    testing::internal::CaptureStderr();
    Start(true);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "vantaro: " + file + ": line 6 'colour=red' is no setting; using the default\n");
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl()) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_TRUE(PlatformMuted());
    EXPECT_EQ(PlatformVolume(), 9);
    Press(SDLK_F11);
    Press(SDLK_MINUS);
    EXPECT_EQ(ReadFile(file), "# Vantaro's settings, written by the game whenever they change.\n"
                              "window=250x333\nfullscreen=0\nmute=0\nvolume=80\n");
}

TEST_F(KeptSettings, SettingsThatCannotBeKeptAreSaidOnceAndPlayGoesOn) {
    const std::string folder = file.substr(0, file.rfind('/'));
    WriteFile(folder, "a file where the folder should be");
    testing::internal::CaptureStderr();
    Start();
    Press(SDLK_MINUS);
    Press(SDLK_MINUS);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(PlatformVolume(), 8);
    // Windows tells a file in the folder's place from a folder that is not
    // there no more than Windows' own calls do: the file is not there.
#ifdef _WIN32
    const std::string unread;
#else
    const std::string unread = "vantaro: the settings in " + file + " cannot be read (Not a directory); using the defaults\n";
#endif
    EXPECT_EQ(said, unread + "vantaro: the settings cannot be kept: " + folder + ": is not a folder\n");
}

// The same rules with the headless backend, which has no window: what the
// sound's keys keep, and what becomes of the file itself.
struct HeadlessSettings : SettingsFolder {
    static void Start(bool mute = false) { StartOn(BackendKind::Headless, mute); }
    void Folder() {
        std::string error;
        ASSERT_TRUE(PlatformMakeFolders(file.substr(0, file.rfind('/')), &error)) << error;
    }
};

TEST_F(HeadlessSettings, TheSoundsKeysAreKeptAndTheCommandLineIsNot) {
    Start(true);  // --mute: this run only
    EXPECT_TRUE(PlatformMuted());
    headless::Key(VK_OEM_MINUS, 0);
    EXPECT_EQ(ReadFile(file), "# Vantaro's settings, written by the game whenever they change.\n"
                              "fullscreen=0\nmute=0\nvolume=90\n");
    headless::Key('M', 0);  // sound on: the player's own switch is kept
    EXPECT_FALSE(PlatformMuted());
    EXPECT_NE(ReadFile(file).find("mute=0\nvolume=90\n"), std::string::npos);
    headless::Key('M', 0);
    EXPECT_NE(ReadFile(file).find("mute=1\nvolume=90\n"), std::string::npos);
    PlatformShutdown();
    Start();
    EXPECT_TRUE(PlatformMuted());
    EXPECT_EQ(PlatformVolume(), 9);
}

// An editor's byte-order mark costs no setting; a file that is a symbolic
// link is written where the link leads, and stays a link (on Linux, where
// anyone may make one).
TEST_F(HeadlessSettings, AByteOrderMarkCostsNothingAndALinkStaysALink) {
    Folder();
#ifdef _WIN32
    const std::string real = file;
#else
    const std::string real = MakeTempFolder() + "/mine.ini";
    ASSERT_TRUE(LinkOrCopy(real, file));
#endif
    WriteFile(real, "\xEF\xBB\xBFvolume=40\nmute=1\n");
    testing::internal::CaptureStderr();
    Start();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(PlatformVolume(), 4);
    headless::Key(VK_OEM_PLUS, 0);
#ifndef _WIN32
    struct stat st;
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
#endif
    EXPECT_EQ(ReadFile(real), "# Vantaro's settings, written by the game whenever they change.\n"
                              "fullscreen=0\nmute=1\nvolume=50\n");
    EXPECT_FALSE(FileExists(file + ".tmp"));
}

#ifndef _WIN32  // fork and another user
// A file that is there but that this user may not read holds the player's
// settings all the same: it is said once and never written over. Played as
// user nobody, in a folder nobody may write to.
TEST_F(HeadlessSettings, AFileThatCannotBeReadIsNeverWrittenOver) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to play user nobody";
    Folder();
    WriteFile(file, "volume=30\n");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    for (const std::string& folder : {config, config + "/vantaro"}) ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    const std::string said = MakeTempFolder() + "/said";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int err = open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        PlatformOptions options;
        options.backend = BackendKind::Headless;
        options.keepSettings = true;
        PlatformSelect(options);
        std::string error;
        if (!PlatformInit(&error)) _exit(4);
        headless::Key(VK_OEM_MINUS, 0);
        headless::Key('M', 0);
        const bool played = PlatformVolume() == 9 && PlatformMuted();
        PlatformShutdown();
        _exit(played ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFile(file), "volume=30\n");
    EXPECT_FALSE(FileExists(file + ".tmp"));
    EXPECT_EQ(ReadFile(said), "vantaro: the settings in " + file +
                                  " cannot be read (Permission denied); using the defaults, and leaving the file as it is\n");
}

#endif

// The real program keeps them too; headless runs neither read nor write them.
// (It is closed by SIGINT, which on Windows is a Ctrl+C in its console.)
TEST(SettingsProgram, TheGameStartsAsKeptAndHeadlessRunsLeaveThemAlone) {
    const std::string config = MakeTempFolder(), data = MakeTempFolder(), work = MakeTempFolder();
    const std::string file = SettingsFileIn(config);
    std::string error;
    ASSERT_TRUE(PlatformMakeFolders(file.substr(0, file.rfind('/')), &error)) << error;
    WriteFile(file, "scale=1\nmute=1\nvolume=30\n");
    const std::vector<std::string> env = {SETTINGS_HOME + ("=" + config), "VANTARO_DATA_DIR=" + data,
                                          "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "VANTARO_TRACE=1",
                                          "ASAN_OPTIONS=detect_leaks=0"};
    RunResult r = ::Run({Game}, env, 30, "output window-surface", SIGINT);
    EXPECT_NE(r.err.find("settings " + file + ": scale 1, window 0x0, full screen off, sound off, volume 30%"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("window 240x320 at scale 1"), std::string::npos) << r.err;
    r = ::Run({Game, "--scale", "2"}, env, 30, "output window-surface", SIGINT);
    EXPECT_NE(r.err.find("window 480x640 at scale 2"), std::string::npos) << r.err;
    WriteFile(work + "/play.txt", "key M\nkey M\nwait 100\n");
    r = ::Run({Game, "--headless", "--script", work + "/play.txt"}, env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("settings"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(file), "scale=1\nmute=1\nvolume=30\n");
}

}  // namespace
