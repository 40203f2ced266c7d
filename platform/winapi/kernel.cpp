// The handheld's kernel services: the program's own file name, its
// resources, and deleting and renaming files by name.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>  // renameat2 too
#include <string>
#include <sys/stat.h>

#include "platform/os/folders.h"
#include "platform/os/text.h"
#include "platform/winapi/core.h"
#include "platform/winapi/kernel.h"

using namespace platform;

DWORD GetModuleFileNameW(HINSTANCE, WCHAR* buffer, DWORD bufferChars) {
    const std::string path = PlatformProgramFile();
    const std::wstring wide = Wide(path.c_str());
    if (path.empty() || !buffer || wide.size() >= bufferChars) return 0;  // rather than cut the path
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

