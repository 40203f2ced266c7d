// Files, as the program reads and writes them by name: pictures, sounds,
// scripts, captures, the settings and the high-score table.
//
// No call ever waits on what is in a file's place: only a regular file
// counts, and a FIFO, a device or a folder is refused at once. On failure
// errno holds the system's reason and, where a call takes one, *error the
// reason in a few words ("No such file or directory", "is a folder", "is
// not a regular file", "is larger than 4096 bytes"); the caller names the
// file.
//
// What it deliberately does not do: buffered or partial I/O, file types
// other than regular files and folders, permissions other than the user's
// own defaults.
#pragma once
#include <cerrno>
#include <cstddef>
#include <string>

// A C library without disk quotas (Windows') has no errno value of its own
// for running out of one; the platform never sets it there.
#ifndef EDQUOT
#define EDQUOT ENOSPC
#endif

// The whole of a regular file of at most maxBytes.
bool PlatformReadFile(const char* path, size_t maxBytes, std::string* data, std::string* error);
// The file made anew, or the regular file there emptied, with exactly these
// bytes.
bool PlatformWriteFile(const char* path, const std::string& data, std::string* error);
// The file replaced whole: written to path.tmp, synced to the disk and
// renamed over path, so that a reader finds the old bytes or the new, never
// a part of them. A path that is a symbolic link is replaced where the link
// leads, and the link stays. (A page stores its files in the browser
// afterwards.)
bool PlatformReplaceFile(const char* path, const std::string& data, std::string* error);
// Creates the folder and its parents where missing; false with the folder
// that could not be made and the system's reason in *error.
bool PlatformMakeFolders(const std::string& path, std::string* error);

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
// be made (and PlatformEndKeptChange is not called).
bool PlatformBeginKeptChange(const std::string& folder, int waitMs, std::string* error);
// Makes lasting what was written in the folder: the desktop syncs the folder
// itself to the disk, so that a rename in it survives a crash; a page stores
// the folder's files in the browser. True only once the system or the
// browser says so; else errno says why (ENOSPC: no room, ETIMEDOUT: no
// answer in time, EIO) and *error in a few words.
bool PlatformKeepFolder(const std::string& folder, std::string* error);
// Lets other copies change the folder again.
void PlatformEndKeptChange(const std::string& folder);

// Files held open, as the high-score table is: opened, locked against the
// program's other copies, read in place, and replaced through a temporary
// file that is written, synced and renamed over it. A file is the system's
// handle (a descriptor), -1 for none; every call that fails leaves the
// system's reason in errno.
//
// The regular file at path, open for reading; never waits on a FIFO or a
// device. -1, with the reason in a few words in *why when given ("is a
// folder", "is not a regular file", "is a dangling symbolic link", or the
// system's own), when it cannot be had.
int PlatformOpenFile(const std::string& path, std::string* why);
// Up to count bytes from offset, fewer only at the end of the file; *got
// says how many.
bool PlatformReadFileAt(int file, size_t offset, void* bytes, size_t count, size_t* got);
// An exclusive lock on the file, which every copy of the program takes
// before it changes the file; waits at most waitMs for another copy to let
// go (errno EWOULDBLOCK when it did not). The lock goes with PlatformCloseFile.
bool PlatformLockFile(int file, int waitMs);
// Whether the open file is still the one that has this name (another copy
// may have renamed a new file into its place meanwhile).
bool PlatformIsFileNamed(int file, const std::string& path);
// A new regular file for writing, mode 0644; fails (EEXIST) when anything
// has the name already, and, without followLink, also when the name is a
// symbolic link.
int PlatformCreateNewFile(const std::string& path, bool followLink);
// All of the bytes, however many writes it takes.
bool PlatformWriteAll(int file, const void* bytes, size_t count);
// What was written is on the disk.
bool PlatformSyncFile(int file);
// False when closing reported an error (a write that did not reach the disk).
bool PlatformCloseFile(int file);
// from takes to's name, replacing what had it, in one step.
bool PlatformRenameFile(const std::string& from, const std::string& to);
// Nothing has the name any more: true also when nothing had it.
bool PlatformRemoveFile(const std::string& path);
// Whether this user may write the file itself.
bool PlatformMayWrite(const std::string& path);
// Whether anything has the name, a dangling symbolic link included.
bool PlatformNameTaken(const std::string& path);
// The path with every symbolic link and "." and ".." resolved; empty, with
// errno, when it cannot be.
std::string PlatformRealPath(const std::string& path);

// A new, empty folder of this user's in the system's folder for temporary
// files ($TMPDIR or /tmp; on Windows %TEMP%), its name starting with
// prefix; empty, with the reason in *error, when none can be made.
std::string PlatformMakeTempFolder(const char* prefix, std::string* error);
// The folder and the files in it gone (not folders within it).
void PlatformRemoveFolder(const std::string& folder);
