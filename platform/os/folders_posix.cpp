// The program's folders and files on a POSIX system (and in a page, whose
// file system the page lays out: the program "lives" in /vantaro beside its
// pictures and sounds).
#include "platform/os/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <sys/stat.h>

#include "platform/os/files.h"
#include "platform/platform.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder named relative to the current one, made absolute, so that two
// copies started in different folders with the same relative name are told
// apart and messages name the folder in full.
std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char here[4096];
    if (!getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

// A folder of the user's by the XDG rule: the absolute path the variable
// holds ($XDG_DATA_HOME, $XDG_CONFIG_HOME), else underHome in the home folder.
std::string UserFolder(const char* variable, const char* underHome) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "/tmp";
    }
    return std::string(home) + "/" + underHome;
}

}  // namespace

std::string PlatformProgramFile() {
#ifdef __EMSCRIPTEN__
    return "/vantaro/vantaro";
#else
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof path)) return "";  // unreadable, or cut short
    return std::string(path, static_cast<size_t>(n));
#endif
}

std::string PlatformFilesFolder() {
    static const std::string folder = [] {
        std::string dir = PlatformProgramFile();
        const size_t slash = dir.rfind('/');
        if (slash == std::string::npos) return std::string();
        dir.erase(slash == 0 ? 1 : slash);
        const std::string shared = dir + "/../share/vantaro";
        return !IsFolder(dir + "/Images") && IsFolder(shared) ? shared : dir;
    }();
    return folder;
}

std::string PlatformDataFolder() {
    if (const std::string& chosen = PlatformCurrentOptions().dataFolder; !chosen.empty()) return Absolute(chosen);
    if (const char* dir = std::getenv("VANTARO_DATA_DIR"); dir && *dir) return Absolute(dir);
    return UserFolder("XDG_DATA_HOME", ".local/share") + "/vantaro";
}

bool PlatformMakeDataFolder(std::string* error) { return PlatformMakeFolders(PlatformDataFolder(), error); }

std::string PlatformHighScorePath(const char* fileName) { return PlatformDataFolder() + "/" + fileName; }

std::string PlatformSettingsPath() { return UserFolder("XDG_CONFIG_HOME", ".config") + "/vantaro/settings.ini"; }
