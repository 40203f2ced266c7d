// The rest of the system services: the tick counter, the program's own file
// name, resources compiled into the program, files, and the short wait of
// busy loops.
#pragma once
#include <cstddef>
#include <string>

#include "platform/winapi/win.h"

// Milliseconds, wrapping at 2^32. The SDL backend counts from boot; the
// headless backend returns its virtual clock.
DWORD GetTickCount();

// The short wait that busy loops (delays, the gamble ladder's frames) call
// between two looks at the clock: it sleeps at most maxMs (less when an
// event comes in) and moves pending window-system events into the queue
// without dispatching anything. The headless backend advances its clock
// instead, stopping early at the moment a scripted input falls due.
void PlatformPause(DWORD maxMs);

// The full path of the running program (module is ignored: there is one).
DWORD GetModuleFileNameW(HINSTANCE module, WCHAR* buffer, DWORD bufferChars);

// Resources compiled into the program, found by type and name. A name or
// type is a string (compared without regard to case) or a small number
// (MAKEINTRESOURCEW).
struct PlatformResource;
typedef const PlatformResource* HRSRC;
typedef const PlatformResource* HGLOBAL;
inline const WCHAR* const RT_BITMAP = MAKEINTRESOURCEW(2);
inline const WCHAR* const RT_GROUP_ICON = MAKEINTRESOURCEW(14);

HRSRC FindResourceW(HINSTANCE module, const WCHAR* name, const WCHAR* type);
HGLOBAL LoadResource(HINSTANCE module, HRSRC resource);
const void* LockResource(HGLOBAL loaded);
DWORD SizeofResource(HINSTANCE module, HRSRC resource);
BOOL FreeResource(HGLOBAL loaded);

// Files, by full path. MoveFileW fails when the new name already exists.
BOOL DeleteFileW(const WCHAR* path);
BOOL MoveFileW(const WCHAR* existing, const WCHAR* newName);

// Files the program reads or writes by name (pictures, sounds, scripts,
// captures). Neither call ever waits on what is in the file's place: only a
// regular file counts, and a FIFO, a device or a folder is refused at once.
// On failure *error holds the reason in a few words ("No such file or
// directory", "is a folder", "is not a regular file", "is larger than 4096
// bytes"); the caller names the file.
//
// The whole of a regular file of at most maxBytes.
bool ReadRegularFile(const char* path, size_t maxBytes, std::string* data, std::string* error);
// Creates the file, or empties the regular file already there, for writing;
// the open descriptor, which the caller closes, or -1.
int CreateRegularFile(const char* path, std::string* error);
// The file made anew (as above) with exactly these bytes.
bool WriteRegularFile(const char* path, const std::string& data, std::string* error);
// The file replaced whole: written to path.tmp, synced to the disk and
// renamed over path, so that a reader finds the old bytes or the new, never
// a part of them. (A page stores its files in the browser afterwards.)
bool ReplaceRegularFile(const char* path, const std::string& data, std::string* error);

// Files kept in a folder that every copy of the program shares (the
// high-score table in the data folder): a change to them is made against
// what is kept at that moment, and is done only once it is kept. On the
// desktop the folder's files are what is kept and the table's own lock keeps
// other copies out; in a page the files live in memory and are kept in the
// browser's IndexedDB, shared by every tab of the site. No call waits
// longer than a few seconds, whatever the browser does.
//
// Waits at most waitMs until no other copy is changing the folder (another
// tab), then brings the folder up to what is kept now (what another tab
// stored meanwhile); the desktop has nothing to do. False, with errno and
// the reason in *error, when either cannot be had: the change must not then
// be made (and EndKeptChange is not called).
bool BeginKeptChange(const std::string& folder, int waitMs, std::string* error);
// Makes lasting what was written in the folder: the desktop syncs the folder
// itself to the disk, so that a rename in it survives a crash; a page stores
// the folder's files in the browser. True only once the system or the
// browser says so; else errno says why (ENOSPC: no room, ETIMEDOUT: no
// answer in time, EIO) and *error in a few words.
bool KeepFolder(const std::string& folder, std::string* error);
// Lets other copies change the folder again.
void EndKeptChange(const std::string& folder);

// A folder of the user's by the XDG rule: the absolute path the variable
// holds ($XDG_DATA_HOME, $XDG_CONFIG_HOME), else underHome in the home folder.
std::string UserFolder(const char* variable, const char* underHome);
// Creates the folder and its parents where missing; false with the folder
// that could not be made and the system's reason in *error.
bool MakeFolders(const std::string& path, std::string* error);

// Text that came from outside the program (a script, a settings file, the
// command line).
//
// A whole number from lo to hi written in decimal digits alone, at most 9
// of them; *value is set only when it is one.
bool WholeNumber(const std::string& text, long lo, long hi, long* value);
// The text as a message may show it on one line: control characters as
// '?', and at most maxBytes of it, "..." marking the cut.
std::string PrintableLine(const std::string& text, size_t maxBytes = std::string::npos);

// Wide strings of this program are UTF-32; narrow ones UTF-8.
size_t WideToNarrow(const WCHAR* wide, char* out, size_t outSize);
size_t NarrowToWide(const char* narrow, WCHAR* out, size_t outChars);
