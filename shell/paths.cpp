#include "shell/paths.h"

#include <sys/stat.h>

#include <cwchar>
#include <string>

#include "platform/winapi/kernel.h"

constexpr size_t PATH_CHARS = 4096;

// One buffer holds the result of the last call, wide or narrow.
static union {
    wchar_t wide[PATH_CHARS];
    char narrow[PATH_CHARS * sizeof(wchar_t)];
} PathBuffer;

static bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder that holds Images/ and Sounds/: the program's own folder, or,
// for an installed program (bin/vantaro), ../share/vantaro beside it.
static const std::wstring& FilesFolder() {
    static const std::wstring folder = [] {
        wchar_t module[PATH_CHARS];
        if (!GetModuleFileNameW(nullptr, module, PATH_CHARS)) return std::wstring();
        std::wstring dir(module);
        const size_t slash = dir.find_last_of(L'/');
        if (slash != std::wstring::npos) dir.erase(slash == 0 ? 1 : slash);
        char narrow[PATH_CHARS * 4];
        WideToNarrow(dir.c_str(), narrow, sizeof narrow);
        const std::string shared = std::string(narrow) + "/../share/vantaro";
        if (!IsFolder(std::string(narrow) + "/Images") && IsFolder(shared)) dir += L"/../share/vantaro";
        return dir;
    }();
    return folder;
}

// folder, separator, name with its backslashes turned into separators; empty
// when it would not fit, or when the program's own folder cannot be found (a
// path from the file-system root would find some other file or none).
static std::wstring Join(const std::wstring& name) {
    if (FilesFolder().empty()) return std::wstring();
    std::wstring path = FilesFolder() + L"/" + name;
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path.size() < PATH_CHARS ? path : std::wstring();
}

const wchar_t* ProgramPath(const wchar_t* name) {
    const std::wstring path = Join(name ? name : L"");
    path.copy(PathBuffer.wide, path.size());
    PathBuffer.wide[path.size()] = 0;
    return PathBuffer.wide;
}

const char* ProgramPathNarrow(const char* name) {
    wchar_t wideName[PATH_CHARS];
    if (!NarrowToWide(name ? name : "", wideName, PATH_CHARS)) wideName[0] = 0;
    const std::wstring path = Join(wideName);
    if (!WideToNarrow(path.c_str(), PathBuffer.narrow, sizeof PathBuffer.narrow)) PathBuffer.narrow[0] = 0;
    return PathBuffer.narrow;
}
