#include "screens/highscore_file.h"

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/winapi/win.h"
#include "platform/os/files.h"
#include "platform/os/text.h"
#include "platform/os/folders.h"
#include "platform/os/process.h"

int HighScoreStopAt = -1;
int HighScoreFailAt = -1;
int HighScoreLockWaitMs = 10000;

namespace {

constexpr const char* TABLE = "vantarohs.dat";
constexpr const char* TEMP = "vantarohs.tmp";

// A killed process, for the tests: nothing after this point happens.
void StopHere(int step) {
    if (HighScoreStopAt == step) PlatformKillProcess();
}
bool FailHere(int step) {
    if (HighScoreFailAt != step) return false;
    errno = EIO;
    return true;
}

// The first 240 bytes; those of a short file that are missing read as zero.
bool ReadTable(int fd, unsigned char bytes[HIGH_SCORE_FILE_BYTES]) {
    std::memset(bytes, 0, HIGH_SCORE_FILE_BYTES);
    size_t got = 0;
    return PlatformReadFileAt(fd, 0, bytes, HIGH_SCORE_FILE_BYTES, &got);
}

bool ReadTableAt(const std::string& path, unsigned char bytes[HIGH_SCORE_FILE_BYTES]) {
    const int fd = PlatformOpenFile(path, nullptr);
    if (fd < 0) return false;
    const bool ok = ReadTable(fd, bytes);
    PlatformCloseFile(fd);
    return ok;
}

int32_t ScoreOf(const unsigned char* record) {
    const unsigned char* s = record + HIGH_SCORE_NAME_BYTES;
    return static_cast<int32_t>(static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
                                static_cast<uint32_t>(s[2]) << 16 | static_cast<uint32_t>(s[3]) << 24);
}

void PutScore(unsigned char* record, int32_t score) {
    const uint32_t u = static_cast<uint32_t>(score);
    for (int i = 0; i < 4; ++i) record[HIGH_SCORE_NAME_BYTES + i] = static_cast<unsigned char>(u >> (8 * i));
}

// The first record the score beats, as a rank; 0 for none.
int RankIn(const unsigned char bytes[HIGH_SCORE_FILE_BYTES], int32_t score) {
    for (int i = 0; i < HIGH_SCORE_RECORDS; ++i)
        if (ScoreOf(bytes + i * HIGH_SCORE_RECORD_BYTES) < score) return i + 1;
    return 0;
}

// A box the player must close, captioned as the table's screen is.
void ShowBox(const std::string& text) {
    WCHAR wide[128] = {};
    PlatformNarrowToWide(text.c_str(), wide, 128);
    MessageBoxW(GetFocus(), wide, L"High Scores", MB_OK);
}

// Why a save failed: the end of the player's sentence, short enough for a
// small box, and for stderr the file concerned and the system's reason.
struct SaveFault {
    const char* why;
    std::string file;  // its name in the folder
    std::string reason;
};

SaveFault FaultOf(const std::string& file, int err) {
    const char* why = "the file could not be written";
    if (err == ENOSPC || err == EDQUOT) why = "the disk is full";
    else if (err == EROFS) why = "the disk is read-only";
    else if (err == EACCES || err == EPERM) why = "the folder cannot be written";
    else if (file == TEMP && (err == EISDIR || err == EEXIST || err == ENOTEMPTY)) why = "vantarohs.tmp is in the way";
    return {why, file, std::strerror(err)};
}

SaveFault Unreadable(const std::string& file, const std::string& reason) {
    return {"the table cannot be read", file, reason};
}

// The folder's files could not be had as they are kept, or kept once
// written (a page's storage in the browser, a folder that will not sync).
SaveFault NotKept(const std::string& reason, int err, bool reading) {
    const char* why = reading ? "the table cannot be read" : "it could not be stored";
    if (err == ENOSPC || err == EDQUOT) why = "there is no room to store it";
    else if (err == ETIMEDOUT) why = "the storage did not answer";
    else if (err == EBUSY) why = "the table is in use";
    return {why, TABLE, reason};
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The table open and locked against other insertions. A table renamed into
// place while this one waited for the lock is locked afresh, so that no
// insertion works from a table that has already been replaced. The wait is
// bounded: a copy that never lets go costs this save, not a hung game.
int LockTable(const std::string& path, SaveFault* fault) {
    for (int tries = 0; tries < 100; ++tries) {
        std::string why;
        const int fd = PlatformOpenFile(path, &why);
        if (fd < 0) {
            *fault = Unreadable(NameOf(path), why);
            return -1;
        }
        if (!PlatformLockFile(fd, HighScoreLockWaitMs)) {
            *fault = errno == EWOULDBLOCK ? SaveFault{"the table is in use", NameOf(path), "another program holds it"}
                                          : FaultOf(NameOf(path), errno);
            PlatformCloseFile(fd);
            return -1;
        }
        if (PlatformIsFileNamed(fd, path)) return fd;
        PlatformCloseFile(fd);
    }
    *fault = {"the table is in use", NameOf(path), "other programs keep replacing it"};
    return -1;
}

// Writes the table into a fresh temporary file in the table's folder and
// renames it over the table. On any failure the temporary file goes and the
// table stays.
bool WriteOver(const std::string& path, const std::string& folder, const unsigned char table[HIGH_SCORE_FILE_BYTES],
               SaveFault* fault) {
    const std::string temp = folder + "/" + TEMP;
    // One left by a killed insertion goes; a folder in its place stays.
    if (!PlatformRemoveFile(temp)) {
        *fault = FaultOf(TEMP, errno);
        return false;
    }
    const int out = FailHere(HS_TEMP_OPEN) ? -1 : PlatformCreateNewFile(temp, false);
    if (out < 0) {
        *fault = FaultOf(TEMP, errno);
        return false;
    }
    StopHere(HS_TEMP_OPEN);
    constexpr size_t half = HIGH_SCORE_FILE_BYTES / 2;
    bool ok = !FailHere(HS_HALF_WRITTEN) && PlatformWriteAll(out, table, half);
    if (ok) StopHere(HS_HALF_WRITTEN);
    ok = ok && !FailHere(HS_WRITTEN) && PlatformWriteAll(out, table + half, HIGH_SCORE_FILE_BYTES - half);
    if (ok) StopHere(HS_WRITTEN);
    ok = ok && !FailHere(HS_SYNCED) && PlatformSyncFile(out);
    int err = ok ? 0 : errno;  // of the first step that failed
    if (ok) StopHere(HS_SYNCED);
    const bool closed = PlatformCloseFile(out) && !FailHere(HS_CLOSED);
    if (ok && !closed) err = errno;
    ok = ok && closed;
    if (ok) StopHere(HS_CLOSED);
    ok = ok && !FailHere(HS_RENAMED) && PlatformRenameFile(temp, path);
    if (!ok) {
        *fault = FaultOf(TEMP, err ? err : errno);
        PlatformRemoveFile(temp);
        return false;
    }
    return true;
}

// The new table in the old one's place, and kept: the rename reaches the
// disk with the folder (in a page, the browser's storage). A new table that
// is not kept gives way to the old again, so that the table the game reads
// is the one that lasts.
bool ReplaceTable(const std::string& path, const std::string& folder, const unsigned char table[HIGH_SCORE_FILE_BYTES],
                  const unsigned char old[HIGH_SCORE_FILE_BYTES], SaveFault* fault) {
    if (!WriteOver(path, folder, table, fault)) return false;
    StopHere(HS_RENAMED);
    std::string reason;
    if (!FailHere(HS_KEPT) && PlatformKeepFolder(folder, &reason)) {
        StopHere(HS_KEPT);
        return true;
    }
    if (reason.empty()) reason = std::strerror(errno);
    *fault = NotKept(reason, errno, false);
    SaveFault ignored;
    WriteOver(path, folder, old, &ignored);
    return false;
}

// The insertion into the table at path, locked against other copies; -1
// when the table could not be read or rewritten, with why.
int InsertLocked(const std::string& path, const std::string& folder, const char* name, int32_t score,
                 SaveFault* fault) {
    const int fd = LockTable(path, fault);
    if (fd < 0) return -1;
    unsigned char old[HIGH_SCORE_FILE_BYTES];
    if (!ReadTable(fd, old)) {
        *fault = Unreadable(NameOf(path), std::strerror(errno));
        PlatformCloseFile(fd);
        return -1;
    }
    StopHere(HS_LOCKED);
    // The folder would let a rename replace a table the player may not
    // write; that table is kept as it is.
    if (!PlatformMayWrite(path)) {
        const int err = errno;
        *fault = FaultOf(NameOf(path), err);
        if (err == EACCES) fault->why = "the table is read-only";
        PlatformCloseFile(fd);
        return -1;
    }

    unsigned char record[HIGH_SCORE_RECORD_BYTES] = {};
    std::strncpy(reinterpret_cast<char*>(record), name ? name : "", HIGH_SCORE_NAME_BYTES - 1);
    PutScore(record, score);
    // The old records in order, the new one before the first it beats; the
    // last old one drops out when the new one went in.
    unsigned char table[HIGH_SCORE_FILE_BYTES];
    int rank = 0, written = 0;
    for (int i = 0; i < HIGH_SCORE_RECORDS && written < HIGH_SCORE_RECORDS; ++i) {
        const unsigned char* next = old + i * HIGH_SCORE_RECORD_BYTES;
        if (!rank && ScoreOf(next) < score) {
            std::memcpy(table + written * HIGH_SCORE_RECORD_BYTES, record, HIGH_SCORE_RECORD_BYTES);
            rank = ++written;
            if (written == HIGH_SCORE_RECORDS) break;
        }
        std::memcpy(table + written * HIGH_SCORE_RECORD_BYTES, next, HIGH_SCORE_RECORD_BYTES);
        ++written;
    }
    const bool replaced = ReplaceTable(path, folder, table, old, fault);
    PlatformCloseFile(fd);  // the lock goes with it
    return replaced ? rank : -1;
}

// The insertion; -1 when the table could not be read or rewritten, with the
// folder it was to be written in and why. A table that is a symbolic link is
// written where the link leads, so that the link stays and the table it
// names is the one kept up to date.
int Insert(const char* name, int32_t score, std::string* folder, SaveFault* fault) {
    const std::string path = PlatformRealPath(PlatformHighScorePath(TABLE));
    if (path.empty()) {
        *fault = Unreadable(TABLE, std::strerror(errno));
        return -1;
    }
    const size_t slash = path.rfind('/');  // there is one: the path is absolute
    *folder = slash == 0 ? "/" : path.substr(0, slash);
    // The table as it is kept now, not as this copy last read it.
    std::string reason;
    if (!PlatformBeginKeptChange(*folder, HighScoreLockWaitMs, &reason)) {
        *fault = NotKept(reason, errno, true);
        return -1;
    }
    const int rank = InsertLocked(path, *folder, name, score, fault);
    PlatformEndKeptChange(*folder);
    return rank;
}

}  // namespace

int CreateHighScoreFile() {
    const std::string folder = PlatformDataFolder();
    const std::string path = PlatformHighScorePath(TABLE);
    std::string why;
    const int existing = PlatformOpenFile(path, &why);
    if (existing >= 0) {
        PlatformCloseFile(existing);
        return 1;
    }
    // Something there that is no table is told of once, here; the game
    // plays on, and as nothing can be read no save is ever offered.
    if (PlatformNameTaken(path)) {
        PlatformWarn("cannot use the high-score table %s: %s", path.c_str(), why.c_str());
        ShowBox("The high-score table cannot be used; scores will not be saved.");
        return 1;
    }
    // From here a failure stops the start-up, which has its own box.
    std::string error;
    if (!PlatformMakeDataFolder(&error)) {
        PlatformWarn("cannot create the high-score table: %s", error.c_str());
        return 0;
    }
    const int fd = PlatformCreateNewFile(path, true);
    if (fd < 0 && errno == EEXIST) return 1;  // another copy made it meanwhile
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        const unsigned char empty[HIGH_SCORE_FILE_BYTES] = {};
        if (!PlatformWriteAll(fd, empty, sizeof empty) || !PlatformSyncFile(fd)) err = errno;
        if (!PlatformCloseFile(fd) && !err) err = errno;
        if (err) PlatformRemoveFile(path);
    }
    if (err) {
        PlatformWarn("cannot create the high-score table in %s: %s: %s", folder.c_str(), TABLE, std::strerror(err));
        return 0;
    }
    return 1;
}

int ReadHighScores(HighScoreRecord records[HIGH_SCORE_RECORDS]) {
    std::memset(records, 0, sizeof(HighScoreRecord) * HIGH_SCORE_RECORDS);
    unsigned char bytes[HIGH_SCORE_FILE_BYTES];
    if (!ReadTableAt(PlatformHighScorePath(TABLE), bytes)) return 0;
    for (int i = 0; i < HIGH_SCORE_RECORDS; ++i) {
        const unsigned char* record = bytes + i * HIGH_SCORE_RECORD_BYTES;
        std::memcpy(records[i].name, record, HIGH_SCORE_NAME_BYTES - 1);
        records[i].name[HIGH_SCORE_NAME_BYTES - 1] = 0;
        records[i].score = ScoreOf(record);
    }
    return 1;
}

int HighScoreRank(int32_t score) {
    unsigned char bytes[HIGH_SCORE_FILE_BYTES];
    return ReadTableAt(PlatformHighScorePath(TABLE), bytes) ? RankIn(bytes, score) : 0;
}

int InsertHighScore(const char* name, int32_t score) {
    std::string folder = PlatformDataFolder();
    SaveFault fault{};
    const int rank = Insert(name, score, &folder, &fault);
    if (rank >= 0) return rank;
    // Told once the lock is let go, as the box waits for the player.
    PlatformWarn("cannot save the high score in %s: %s: %s", folder.c_str(), fault.file.c_str(), fault.reason.c_str());
    ShowBox(std::string("Your score could not be saved: ") + fault.why + ".");
    return 0;
}
