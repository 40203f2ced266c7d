// What the file layer does alike on every system, over its own calls
// (files_posix.cpp, files_windows.cpp).
#include "platform/os/files.h"

#include <cerrno>
#include <cstring>

bool PlatformReadFile(const char* path, size_t maxBytes, std::string* data, std::string* error) {
    data->clear();
    if (!path || !*path) {
        *error = "no file name";
        errno = ENOENT;
        return false;
    }
    const int fd = PlatformOpenFile(path, error);
    if (fd < 0) return false;
    // Read to the end, never past maxBytes + 1, so a file that grows
    // meanwhile is still caught.
    int err = 0;
    char buffer[65536];
    for (;;) {
        size_t n = 0;
        if (!PlatformReadFileAt(fd, data->size(), buffer, sizeof buffer, &n)) {
            err = errno;
            *error = std::strerror(err);
            break;
        }
        data->append(buffer, n);
        if (data->size() > maxBytes) {
            err = EFBIG;
            *error = "is larger than " + std::to_string(maxBytes) + " bytes";
            break;
        }
        if (n < sizeof buffer) break;  // the end of the file
    }
    PlatformCloseFile(fd);
    if (err) data->clear();
    errno = err;
    return err == 0;
}
