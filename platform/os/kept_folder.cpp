// Files kept in a folder that copies of the program share: on the desktop the
// folder on disk, in a page the folder's files in the browser's storage
// (web/storage.js, which bounds every wait and tells why a step failed).
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "platform/os/files.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

namespace {

// The page's answers (web/storage.js): 0 done, else why not.
enum Answer { DONE, FAILED, FULL, NO_ANSWER, IN_USE };

// Run by node (the benchmarks) the files are the machine's own, on disk.
EM_ASYNC_JS(int, PageBeginChange, (const char* folder, int waitMs), {
    if (!Module.vantaroPage) return 0;
    return await Module.vantaroPage.beginChange(UTF8ToString(folder), waitMs);
});
EM_ASYNC_JS(int, PageKeep, (const char* folder), {
    if (!Module.vantaroPage) return 0;
    return await Module.vantaroPage.keep(UTF8ToString(folder));
});
EM_ASYNC_JS(void, PageEndChange, (const char* folder), {
    if (Module.vantaroPage) await Module.vantaroPage.endChange(UTF8ToString(folder));
});

bool Answered(int answer, std::string* error) {
    switch (answer) {
        case DONE: return true;
        case FULL: errno = ENOSPC, *error = "the browser's storage is full"; break;
        case NO_ANSWER: errno = ETIMEDOUT, *error = "the browser's storage did not answer"; break;
        case IN_USE: errno = EBUSY, *error = "another tab is saving"; break;
        default: errno = EIO, *error = "the browser's storage refused it"; break;
    }
    return false;
}

}  // namespace

bool PlatformBeginKeptChange(const std::string& folder, int waitMs, std::string* error) {
    return Answered(PageBeginChange(folder.c_str(), waitMs), error);
}
bool PlatformKeepFolder(const std::string& folder, std::string* error) { return Answered(PageKeep(folder.c_str()), error); }
void PlatformEndKeptChange(const std::string& folder) { PageEndChange(folder.c_str()); }

#elif defined(_WIN32)

// Another copy is kept out by the table's own lock, and a rename reaches
// the disk before it returns (MOVEFILE_WRITE_THROUGH): nothing is left to do.
bool PlatformBeginKeptChange(const std::string&, int, std::string*) { return true; }
bool PlatformKeepFolder(const std::string&, std::string*) { return true; }
void PlatformEndKeptChange(const std::string&) {}

#else

bool PlatformBeginKeptChange(const std::string&, int, std::string*) { return true; }

bool PlatformKeepFolder(const std::string& folder, std::string* error) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int err = fd < 0 ? errno : 0;
    if (fd >= 0 && fsync(fd) != 0) err = errno;
    if (fd >= 0) close(fd);
    // A file system that cannot sync a folder has nothing more to give.
    if (err == 0 || err == EINVAL || err == ENOTSUP) return true;
    errno = err;
    *error = std::strerror(err);
    return false;
}

void PlatformEndKeptChange(const std::string&) {}

#endif
