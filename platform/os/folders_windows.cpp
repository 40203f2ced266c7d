// The program's folders and files on Windows: the program's own folder
// holds its pictures and sounds, and the player's files (the high-score
// table, the settings) live in %APPDATA%\Vantaro. Paths are given with
// forward slashes, which every call of the system takes.
#include <windows.h>

#include <string>

#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/os/text.h"
#include "platform/platform.h"

namespace {

std::string Slashed(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return platform::Narrow(path.c_str());
}

// A variable of the environment as the system holds it (UTF-16), empty
// when it is not set.
std::string Variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? Slashed(value) : "";
}

// A folder named relative to the current one, made absolute.
std::string Absolute(const std::string& path) {
    wchar_t full[32768];
    const DWORD n = GetFullPathNameW(platform::Wide(path.c_str()).c_str(), 32768, full, nullptr);
    return n > 0 && n < 32768 ? Slashed(full) : path;
}

// %APPDATA%\Vantaro: the player's roaming application data.
std::string PlayerFolder() {
    std::string appData = Variable(L"APPDATA");
    if (appData.empty()) appData = Variable(L"USERPROFILE") + "/AppData/Roaming";
    return appData + "/Vantaro";
}

}  // namespace

std::string PlatformProgramFile() {
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return "";
    path.resize(n);
    return Slashed(path);
}

std::string PlatformFilesFolder() {
    static const std::string folder = [] {
        const std::string program = PlatformProgramFile();
        const size_t slash = program.rfind('/');
        return slash == std::string::npos ? std::string() : program.substr(0, slash);
    }();
    return folder;
}

std::string PlatformDataFolder() {
    if (const std::string& chosen = PlatformCurrentOptions().dataFolder; !chosen.empty()) return Absolute(chosen);
    if (const std::string dir = Variable(L"VANTARO_DATA_DIR"); !dir.empty()) return Absolute(dir);
    return PlayerFolder();
}

bool PlatformMakeDataFolder(std::string* error) { return PlatformMakeFolders(PlatformDataFolder(), error); }

std::string PlatformHighScorePath(const char* fileName) { return PlatformDataFolder() + "/" + fileName; }

std::string PlatformSettingsPath() { return PlayerFolder() + "/settings.ini"; }
