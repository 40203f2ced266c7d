// The tests' helpers over the system's own files, environment and
// processes (support_posix.cpp, support_windows.cpp; the rest in
// support.cpp). Free of the window system's names, which Windows' own
// headers take.
#pragma once
#include <string>
#include <vector>

#ifdef _WIN32
// POSIX's setenv and unsetenv, which Windows' C library lacks: the variable
// changed for the C library's getenv and the system's own both.
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);
// The console this program shares with the programs it starts, where Run's
// Ctrl+C goes (made at the first need; this program ignores the Ctrl+C).
void ShareConsole();
// The closing "signals" Run can send where Windows has no signals (see Run).
#ifndef SIGHUP
#define SIGHUP 1
#endif
#ifndef SIGKILL
#define SIGKILL 9
#endif
#endif

// The variable naming the folder the player's settings are kept in, and
// the settings file in such a folder: XDG_CONFIG_HOME and vantaro/settings.ini,
// on Windows APPDATA and Vantaro/settings.ini.
extern const char* const SETTINGS_HOME;
std::string SettingsFileIn(const std::string& home);
// The variable naming the folder for temporary files: TMPDIR, on Windows TMP.
extern const char* const TEMP_HOME;

// A new empty folder under the system's temporary folder, removed with
// whatever is in it when the test program ends (VANTARO_KEEP_TEST_FILES
// keeps it for a look).
std::string MakeTempFolder();
// The folders and all in them, whatever a test did to their permissions.
void RemoveFolders(std::vector<std::string> folders);
// The test program's own data folder (VANTARO_DATA_DIR, set as it starts):
// tests that point the variable elsewhere put it back to this.
const std::string& TestDataFolder();
// A new folder (its parent there already); false when it cannot be made.
bool MakeFolder(const std::string& path);
// What is at target, under a second name: a symbolic link where the system
// lets anyone make one, else (Windows) a copy, a folder's whole tree.
bool LinkOrCopy(const std::string& target, const std::string& name);
// Something in a file's place that is no regular file and that opening
// must not wait on: a FIFO nobody writes; on Windows, which has none in its
// file system, a folder.
bool MakeNonRegular(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::vector<std::string> ListFolder(const std::string& path);

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};
// Runs a program with extra environment entries ("NAME=value"), waiting at
// most timeoutSeconds (then killing it: 128 + SIGKILL). With a signal, sends
// it once the program's stderr holds signalWhen (a line it writes when it
// has got where the signal is meant to find it). On Windows the signals are
// what stands for them there: SIGINT a Ctrl+C in the console the program
// shares with the tests, SIGTERM the session ending (its windows are told),
// SIGKILL TerminateProcess with status 137.
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
              int timeoutSeconds = 120, const std::string& signalWhen = "", int signal = 0);
// The game binary, copied into folder (so that it finds Images/ and Sounds/
// beside itself there), without its pictures and sounds; its path.
std::string CopyGameInto(const std::string& folder);

