// Regular files and folders, by name, on Windows. Names arrive as UTF-8
// (os/text.h: any name the system gave comes back as the same UTF-16) with
// either slash, and every call takes the wide ones. A file held open is a
// C runtime descriptor over the system's handle, as on POSIX, and every
// failure leaves the POSIX errno value that says the same.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os/files.h"
#include "platform/os/text.h"

namespace {

std::wstring WidePath(const std::string& path) { return platform::Wide(path.c_str()); }

// A path the system gave, with forward slashes as every path of the
// platform's.
std::string Slashed(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return platform::Narrow(path.c_str());
}

// The system's last error as errno says it.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return EBUSY;
        case ERROR_DIRECTORY: return ENOTDIR;
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
        case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
        default: return EIO;
    }
}

// Sets errno from the system's last error; false, for the caller to return.
bool Failed() {
    errno = ErrnoOf(GetLastError());
    return false;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

HANDLE HandleOf(int file) { return reinterpret_cast<HANDLE>(_get_osfhandle(file)); }

// A descriptor over the handle, which it then owns; -1 (and the handle
// closed) when the runtime has none to give.
int Descriptor(HANDLE handle, int flags) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

// Other copies may read, write and rename the file while this one holds it:
// the table is replaced by a rename over it while its reader holds it open.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The lock every copy takes lies past any data: Windows' locks keep others
// from reading what they cover, and readers of the table take no lock.
constexpr DWORD LOCK_AT_HIGH = 0x7FFFFFFF;

bool WriteAndClose(int fd, const std::string& data, bool sync, std::string* error) {
    bool ok = PlatformWriteAll(fd, data.data(), data.size()) && (!sync || PlatformSyncFile(fd));
    if (!ok) *error = std::strerror(errno);
    if (!PlatformCloseFile(fd) && ok) {
        *error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

// The file made anew or emptied, for writing; a folder or a device is
// refused.
int CreateRegularFile(const std::string& path, std::string* error) {
    if (IsFolder(Attributes(path))) {
        *error = "is a folder";
        errno = EISDIR;
        return -1;
    }
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, SHARE_ALL, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Failed();
        *error = std::strerror(errno);
        return -1;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        *error = "is not a regular file";
        errno = EINVAL;
        return -1;
    }
    return Descriptor(h, _O_WRONLY | _O_BINARY);
}

}  // namespace

bool PlatformMakeFolders(const std::string& path, std::string* error) {
    for (size_t slash = path.find_first_of("/\\", 1);; slash = path.find_first_of("/\\", slash + 1)) {
        const std::string part = path.substr(0, slash);
        // "C:" and the root of a share are no folders to make.
        const bool drive = part.size() == 2 && part[1] == ':';
        if (!part.empty() && !drive && !CreateDirectoryW(WidePath(part).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS && !IsFolder(Attributes(part))) {
            Failed();
            if (error) *error = part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    if (IsFolder(Attributes(path))) return true;
    const bool found = Attributes(path) != INVALID_FILE_ATTRIBUTES;
    if (!found) Failed();
    if (error) *error = path + ": " + (found ? "is not a folder" : std::strerror(errno));
    return false;
}

bool PlatformWriteFile(const char* path, const std::string& data, std::string* error) {
    const int fd = CreateRegularFile(path ? path : "", error);
    return fd >= 0 && WriteAndClose(fd, data, false, error);
}

bool PlatformReplaceFile(const char* path, const std::string& data, std::string* error) {
    // A name that leads elsewhere (a symbolic link) is replaced where it
    // leads; a file not there yet is made under its own name.
    std::string target = PlatformRealPath(path);
    if (target.empty()) target = path;
    const std::string temporary = target + ".tmp";
    const int fd = CreateRegularFile(temporary, error);
    bool ok = fd >= 0 && WriteAndClose(fd, data, true, error);
    if (ok && !PlatformRenameFile(temporary, target)) {
        *error = std::strerror(errno);
        ok = false;
    }
    if (!ok && fd >= 0) PlatformRemoveFile(temporary);
    return ok;
}

int PlatformOpenFile(const std::string& path, std::string* why) {
    const DWORD attributes = Attributes(path);
    if (IsFolder(attributes)) {
        if (why) *why = "is a folder";
        errno = EISDIR;
        return -1;
    }
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_READ, SHARE_ALL, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const bool dangling = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        Failed();
        if (why) *why = dangling && errno == ENOENT ? "is a dangling symbolic link" : std::strerror(errno);
        return -1;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        if (why) *why = "is not a regular file";
        errno = EINVAL;
        return -1;
    }
    return Descriptor(h, _O_RDONLY | _O_BINARY);
}

bool PlatformReadFileAt(int file, size_t offset, void* bytes, size_t count, size_t* got) {
    *got = 0;
    while (*got < count) {
        OVERLAPPED at = {};
        const uint64_t from = offset + *got;
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        DWORD n = 0;
        if (!ReadFile(HandleOf(file), static_cast<char*>(bytes) + *got, static_cast<DWORD>(count - *got), &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return Failed();
        }
        if (n == 0) break;
        *got += n;
    }
    return true;
}

bool PlatformLockFile(int file, int waitMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(waitMs);
    for (;;) {
        OVERLAPPED at = {};
        at.OffsetHigh = LOCK_AT_HIGH;
        if (LockFileEx(HandleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) return Failed();
        if (GetTickCount64() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        Sleep(15);
    }
}

bool PlatformIsFileNamed(int file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION held, named;
    if (!GetFileInformationByHandle(HandleOf(file), &held)) return false;
    HANDLE h = CreateFileW(WidePath(path).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(h, &named);
    CloseHandle(h);
    return known && held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
           held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

int PlatformCreateNewFile(const std::string& path, bool followLink) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, SHARE_ALL, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Failed();
        return -1;
    }
    return Descriptor(h, _O_WRONLY | _O_BINARY);
}

bool PlatformWriteAll(int file, const void* bytes, size_t count) {
    const char* p = static_cast<const char*>(bytes);
    while (count > 0) {
        DWORD n = 0;
        const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        if (!WriteFile(HandleOf(file), p, chunk, &n, nullptr)) return Failed();
        if (n == 0) {
            errno = EIO;  // so that the caller has a reason to give
            return false;
        }
        p += n;
        count -= n;
    }
    return true;
}

bool PlatformSyncFile(int file) { return FlushFileBuffers(HandleOf(file)) ? true : Failed(); }

bool PlatformCloseFile(int file) {
    if (_close(file) == 0) return true;
    errno = EIO;
    return false;
}

// The rename reaches the disk before the call returns: nothing more is
// needed to keep it (PlatformKeepFolder). The system renames nothing over a
// file that is held open, as the high-score table is by the insertion that
// replaces it: such a file is replaced by ReplaceFileW, which takes the place
// of a file every holder shares for deletion (the platform's holders all
// do), and the new file is flushed under its name.
bool PlatformRenameFile(const std::string& from, const std::string& to) {
    const std::wstring source = WidePath(from), target = WidePath(to);
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD moveError = GetLastError();
    if (moveError == ERROR_ACCESS_DENIED &&
        ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        const bool flushed = h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return flushed ? true : Failed();
    }
    SetLastError(moveError);
    return Failed();
}

bool PlatformRemoveFile(const std::string& path) {
    if (DeleteFileW(WidePath(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    if (IsFolder(Attributes(path))) {
        errno = EISDIR;
        return false;
    }
    return Failed();
}

bool PlatformMayWrite(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Failed();
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        errno = EACCES;
        return false;
    }
    return true;
}

bool PlatformNameTaken(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::string PlatformRealPath(const std::string& path) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), 0, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Failed();
        return "";
    }
    std::wstring real(32768, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(h, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED);
    if (n == 0 || n >= real.size()) Failed();
    CloseHandle(h);
    if (n == 0 || n >= real.size()) return "";
    real.resize(n);
    // \\?\C:\... as C:/..., and \\?\UNC\host\share\... as //host/share/...
    if (real.rfind(L"\\\\?\\UNC\\", 0) == 0) real = L"\\\\" + real.substr(8);
    else if (real.rfind(L"\\\\?\\", 0) == 0) real = real.substr(4);
    return Slashed(real);
}

std::string PlatformMakeTempFolder(const char* prefix, std::string* error) {
    wchar_t base[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) {
        Failed();
        *error = std::string("no folder for temporary files: ") + std::strerror(errno);
        return "";
    }
    const std::string folder = Slashed(base);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            folder + prefix + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64() + attempt);
        if (CreateDirectoryW(WidePath(name).c_str(), nullptr)) return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    Failed();
    *error = folder + ": " + std::strerror(errno);
    return "";
}

void PlatformRemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WidePath(folder + "/*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((WidePath(folder) + L"/" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(WidePath(folder).c_str());
}
