#include "shell/paths.h"

#include <cwchar>
#include <string>

#include "platform/os/folders.h"
#include "platform/os/text.h"

constexpr size_t PATH_CHARS = 4096;

// One buffer holds the result of the last call, wide or narrow.
static union {
    wchar_t wide[PATH_CHARS];
    char narrow[PATH_CHARS * sizeof(wchar_t)];
} PathBuffer;

// The folder that holds Images/ and Sounds/, as a wide string.
static const std::wstring& FilesFolder() {
    static const std::wstring folder = [] {
        static wchar_t wide[PATH_CHARS];
        if (!PlatformNarrowToWide(PlatformFilesFolder().c_str(), wide, PATH_CHARS)) return std::wstring();
        return std::wstring(wide);
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
    if (!PlatformNarrowToWide(name ? name : "", wideName, PATH_CHARS)) wideName[0] = 0;
    const std::wstring path = Join(wideName);
    if (!PlatformWideToNarrow(path.c_str(), PathBuffer.narrow, sizeof PathBuffer.narrow)) PathBuffer.narrow[0] = 0;
    return PathBuffer.narrow;
}
