// Regular files and folders, by name, on POSIX.
#include "platform/os/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

bool PlatformMakeFolders(const std::string& path, std::string* error) {
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

static int CreateRegularFile(const char* path, std::string* error) {
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

// Writes all of data to fd, then, with sync, to the disk; closes fd.
static bool WriteAndClose(int fd, const std::string& data, bool sync, std::string* error) {
    bool ok = PlatformWriteAll(fd, data.data(), data.size()) && (!sync || fsync(fd) == 0);
    if (!ok) *error = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        *error = std::strerror(errno);
        ok = false;
    }
    return ok;
}

bool PlatformWriteFile(const char* path, const std::string& data, std::string* error) {
    const int fd = CreateRegularFile(path, error);
    return fd >= 0 && WriteAndClose(fd, data, false, error);
}

// Where a chain of symbolic links from path ends (path itself when it is
// none); a link's relative target is taken from the link's own folder. The
// end need not exist. False, with errno, for a loop or an unreadable link.
static bool LinkTarget(const std::string& path, std::string* target) {
    *target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(target->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        char next[PATH_MAX];
        const ssize_t n = readlink(target->c_str(), next, sizeof next - 1);
        if (n < 0) return false;
        next[n] = 0;
        const size_t slash = target->rfind('/');
        if (next[0] == '/' || slash == std::string::npos) *target = next;
        else *target = target->substr(0, slash + 1) + next;
    }
    errno = ELOOP;
    return false;
}

bool PlatformReplaceFile(const char* linkOrPath, const std::string& data, std::string* error) {
    std::string target;
    if (!LinkTarget(linkOrPath, &target)) {
        *error = std::strerror(errno);
        return false;
    }
    const char* path = target.c_str();
    const std::string temporary = target + ".tmp";
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

int PlatformOpenFile(const std::string& path, std::string* why) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd < 0) {
        const int err = errno;
        const bool dangling = err == ENOENT && lstat(path.c_str(), &st) == 0;
        if (why) *why = dangling ? "is a dangling symbolic link" : std::strerror(err);
        errno = err;
        return -1;
    }
    if (fstat(fd, &st) != 0) st.st_mode = 0;
    if (!S_ISREG(st.st_mode)) {
        if (why) *why = FileKind(st.st_mode);
        close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    return fd;
}

bool PlatformReadFileAt(int file, size_t offset, void* bytes, size_t count, size_t* got) {
    *got = 0;
    while (*got < count) {
        const ssize_t n = pread(file, static_cast<char*>(bytes) + *got, count - *got, static_cast<off_t>(offset + *got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += static_cast<size_t>(n);
    }
    return true;
}

bool PlatformLockFile(int file, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (flock(file, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EINTR && errno != EWOULDBLOCK) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}

bool PlatformIsFileNamed(int file, const std::string& path) {
    struct stat held, named;
    return fstat(file, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
           held.st_dev == named.st_dev;
}

int PlatformCreateNewFile(const std::string& path, bool followLink) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW), 0644);
}

bool PlatformWriteAll(int file, const void* bytes, size_t count) {
    const char* p = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t n = write(file, p, count);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;  // so that the caller has a reason to give
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool PlatformSyncFile(int file) { return fsync(file) == 0; }
bool PlatformCloseFile(int file) { return close(file) == 0; }
bool PlatformRenameFile(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }
bool PlatformRemoveFile(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }
bool PlatformMayWrite(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

bool PlatformNameTaken(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string PlatformRealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return "";
    std::string resolved = real;
    std::free(real);
    return resolved;
}

std::string PlatformMakeTempFolder(const char* prefix, std::string* error) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *error = pattern + ": " + std::strerror(errno);
        return "";
    }
    return pattern;
}

void PlatformRemoveFolder(const std::string& folder) {
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                unlink((folder + "/" + e->d_name).c_str());
        closedir(dir);
    }
    rmdir(folder.c_str());
}
