// Regular files and folders, by name, on POSIX.
#include "platform/os/files.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

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

bool PlatformReadFile(const char* path, size_t maxBytes, std::string* data, std::string* error) {
    data->clear();
    const int fd = path && *path ? open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd < 0) {
        const int err = path && *path ? errno : ENOENT;
        *error = path && *path ? std::strerror(err) : "no file name";
        errno = err;
        return false;
    }
    struct stat st;
    int err = 0;
    if (fstat(fd, &st) != 0) {
        err = errno;
        *error = std::strerror(err);
    } else if (!S_ISREG(st.st_mode)) {
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        *error = FileKind(st.st_mode);
    } else {
        // Read to the end, never past maxBytes + 1, so a file that grows
        // meanwhile is still caught.
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                err = errno;
                *error = std::strerror(err);
                break;
            }
            if (n == 0) break;
            data->append(buffer, static_cast<size_t>(n));
            if (data->size() > maxBytes) {
                err = EFBIG;
                *error = "is larger than " + std::to_string(maxBytes) + " bytes";
                break;
            }
        }
    }
    close(fd);
    if (err) data->clear();
    errno = err;
    return err == 0;
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

