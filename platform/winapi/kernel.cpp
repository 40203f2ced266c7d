// Choosing the backend, the program's own path, resources, files and text
// conversion.
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>  // renameat2 too
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "platform/winapi/core_state.h"
#include "platform/app/instance.h"
#include "platform/codec/png.h"
#include "platform/winapi/kernel.h"

namespace platform {

// PlatformSelect may run before ordinary static objects are built, so the
// state it touches is constant-initialised or built on first use.
static const Backend* Chosen = &HeadlessBackend;
static bool Running = false;
static PlatformOptions& Options() {
    static PlatformOptions options;
    return options;
}

const Backend& Current() { return *Chosen; }

std::string Narrow(const WCHAR* wide) {
    std::string out;
    for (; wide && *wide; ++wide) {
        const uint32_t c = static_cast<uint32_t>(*wide);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

std::wstring Wide(const char* narrow) {
    std::wstring out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(narrow ? narrow : "");
    while (*p) {
        uint32_t c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more) c &= 0x3F >> more;
        for (; more && (*p & 0xC0) == 0x80; --more) c = (c << 6) | (*p++ & 0x3F);
        out += static_cast<WCHAR>(more ? 0xFFFD : c);
    }
    return out;
}

}  // namespace platform

using namespace platform;

void PlatformSelect(const PlatformOptions& options) {
    Options() = options;
    Chosen = options.backend == BackendKind::Sdl ? &SdlBackend : &HeadlessBackend;
    Chosen->select(options);
}

bool PlatformInit(std::string* error) {
    ResetCore();
    Core().muted = Options().mute;
    CatchCloseSignals();
    if (!Chosen->init(Options(), error)) {
        ReleaseCloseSignals();
        return false;
    }
    Running = true;
    return true;
}

void PlatformShutdown() {
    if (!Running) return;
    Running = false;
    Chosen->shutdown();
    InstanceRelease();
    ReleaseCloseSignals();
}

const PlatformOptions& PlatformCurrentOptions() { return Options(); }

bool PlatformFramePng(std::string* png) {
    std::vector<uint16_t> frame(240 * 320);
    Chosen->shownFrame(frame.data());
    return EncodePng565(frame.data(), 240, 320, png);
}

// One line on stderr: the prefix, then the formatted text.
static void SayLine(const char* prefix, const char* format, std::va_list args) {
    std::fputs(prefix, stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

void PlatformWarn(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    SayLine("vantaro: ", format, args);
    va_end(args);
}

void PlatformTrace(const char* format, ...) {
    static const bool enabled = std::getenv("VANTARO_TRACE") != nullptr;
    if (!enabled) return;
    std::va_list args;
    va_start(args, format);
    SayLine("vantaro: trace: ", format, args);
    va_end(args);
}

HINSTANCE PlatformModule() {
    static const HINSTANCE module = reinterpret_cast<HINSTANCE>(&Chosen);
    return module;
}

// A folder named relative to the current one, made absolute, so that two
// copies started in different folders with the same relative name are told
// apart and messages name the folder in full.
static std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char here[4096];
    if (!getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

std::string PlatformDataFolder() {
    if (!Options().dataFolder.empty()) return Absolute(Options().dataFolder);
    if (const char* dir = std::getenv("VANTARO_DATA_DIR"); dir && *dir) return Absolute(dir);
    return UserFolder("XDG_DATA_HOME", ".local/share") + "/vantaro";
}

std::string UserFolder(const char* variable, const char* underHome) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : "/tmp";
    }
    return std::string(home) + "/" + underHome;
}

bool PlatformMakeDataFolder(std::string* error) { return MakeFolders(PlatformDataFolder(), error); }

bool MakeFolders(const std::string& path, std::string* error) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            if (error) *error = part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st;
    const bool found = stat(path.c_str(), &st) == 0;
    if (found && S_ISDIR(st.st_mode)) return true;
    if (error) *error = path + ": " + (found ? "is not a folder" : std::strerror(errno));
    return false;
}

static std::string FileKind(mode_t mode) {
    return S_ISDIR(mode) ? "is a folder" : "is not a regular file";
}

bool ReadRegularFile(const char* path, size_t maxBytes, std::string* data, std::string* error) {
    data->clear();
    const int fd = path && *path ? open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd < 0) {
        *error = path && *path ? std::strerror(errno) : "no file name";
        return false;
    }
    struct stat st;
    bool ok = false;
    if (fstat(fd, &st) != 0) {
        *error = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        *error = FileKind(st.st_mode);
    } else {
        // Read to the end, never past maxBytes + 1, so a file that grows
        // meanwhile is still caught.
        ok = true;
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                *error = std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0) break;
            data->append(buffer, static_cast<size_t>(n));
            if (data->size() > maxBytes) {
                *error = "is larger than " + std::to_string(maxBytes) + " bytes";
                ok = false;
                break;
            }
        }
    }
    close(fd);
    if (!ok) data->clear();
    return ok;
}

int CreateRegularFile(const char* path, std::string* error) {
    struct stat st = {};
    if (!path || !*path) {
        *error = "no file name";
        return -1;
    }
    if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        *error = FileKind(st.st_mode);
        return -1;
    }
    // Not truncated on opening: something other than a regular file may
    // have taken the name since the look above.
    const int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!regular || ftruncate(fd, 0) != 0) {
        *error = regular ? std::strerror(errno) : FileKind(st.st_mode);
        close(fd);
        return -1;
    }
    return fd;
}

bool WholeNumber(const std::string& text, long lo, long hi, long* value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (n < lo || n > hi) return false;
    *value = n;
    return true;
}

std::string PrintableLine(const std::string& text, size_t maxBytes) {
    std::string shown = text.substr(0, maxBytes);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text.size() > maxBytes ? shown + "..." : shown;
}

// Writes all of data to fd, then, with sync, to the disk; closes fd.
static bool WriteAndClose(int fd, const std::string& data, bool sync, std::string* error) {
    bool ok = true;
    for (size_t done = 0; ok && done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? std::strerror(errno) : "nothing could be written";
            ok = false;
        } else {
            done += static_cast<size_t>(n);
        }
    }
    if (ok && sync && fsync(fd) != 0) {
        *error = std::strerror(errno);
        ok = false;
    }
    if (close(fd) != 0 && ok) {
        *error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

bool WriteRegularFile(const char* path, const std::string& data, std::string* error) {
    const int fd = CreateRegularFile(path, error);
    return fd >= 0 && WriteAndClose(fd, data, false, error);
}

bool ReplaceRegularFile(const char* path, const std::string& data, std::string* error) {
    const std::string temporary = std::string(path) + ".tmp";
    const int fd = CreateRegularFile(temporary.c_str(), error);
#ifdef __EMSCRIPTEN__
    // In a page the file system is memory, stored in the browser whole and
    // only once the new file has its name; a sync here would store the
    // temporary file alone, and keep the game waiting while it does.
    constexpr bool sync = false;
#else
    constexpr bool sync = true;
#endif
    bool ok = fd >= 0 && WriteAndClose(fd, data, sync, error);
    if (ok && std::rename(temporary.c_str(), path) != 0) {
        *error = std::strerror(errno);
        ok = false;
    }
    if (!ok && fd >= 0) unlink(temporary.c_str());
    return ok;
}

DWORD GetModuleFileNameW(HINSTANCE, WCHAR* buffer, DWORD bufferChars) {
    if (!buffer || bufferChars == 0) return 0;
    char path[4096];
#ifdef __EMSCRIPTEN__
    // In a page the program "lives" where the page puts its pictures and
    // sounds: /vantaro.
    std::snprintf(path, sizeof path, "/vantaro/vantaro");
#else
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof path)) return 0;  // unreadable, or cut short
    path[n] = 0;
#endif
    const std::wstring wide = Wide(path);
    if (wide.size() >= bufferChars) return 0;  // would not fit: report failure rather than cut the path
    wide.copy(buffer, wide.size());
    buffer[wide.size()] = 0;
    return static_cast<DWORD>(wide.size());
}

HRSRC FindResourceW(HINSTANCE, const WCHAR* name, const WCHAR* type) { return FindBinaryResource(type, name); }
HGLOBAL LoadResource(HINSTANCE, HRSRC resource) { return resource; }
const void* LockResource(HGLOBAL loaded) { return loaded ? loaded->data : nullptr; }
DWORD SizeofResource(HINSTANCE, HRSRC resource) { return resource ? static_cast<DWORD>(resource->size) : 0; }
BOOL FreeResource(HGLOBAL) { return TRUE; }

BOOL DeleteFileW(const WCHAR* path) { return path && unlink(Narrow(path).c_str()) == 0 ? TRUE : FALSE; }

BOOL MoveFileW(const WCHAR* existing, const WCHAR* newName) {
    if (!existing || !newName) return FALSE;
    // Refuses an existing target, as the handheld's call does.
#ifdef __EMSCRIPTEN__
    // One thread and no other program share a page's file system: a look
    // and a rename are as good as one step.
    struct stat st;
    if (stat(Narrow(newName).c_str(), &st) == 0) return FALSE;
    return rename(Narrow(existing).c_str(), Narrow(newName).c_str()) == 0 ? TRUE : FALSE;
#else
    return renameat2(AT_FDCWD, Narrow(existing).c_str(), AT_FDCWD, Narrow(newName).c_str(), RENAME_NOREPLACE) == 0
               ? TRUE
               : FALSE;
#endif
}

size_t WideToNarrow(const WCHAR* wide, char* out, size_t outSize) {
    const std::string s = Narrow(wide);
    if (!out || s.size() >= outSize) return 0;
    s.copy(out, s.size());
    out[s.size()] = 0;
    return s.size();
}

size_t NarrowToWide(const char* narrow, WCHAR* out, size_t outChars) {
    const std::wstring s = Wide(narrow);
    if (!out || s.size() >= outChars) return 0;
    s.copy(out, s.size());
    out[s.size()] = 0;
    return s.size();
}
