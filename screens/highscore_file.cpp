#include "screens/highscore_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/platform.h"

int HighScoreStopAt = -1;
int HighScoreFailAt = -1;

namespace {

constexpr const char* TABLE = "vantarohs.dat";
constexpr const char* TEMP = "vantarohs.tmp";

// A killed process, for the tests: nothing after this point happens.
void StopHere(int step) {
    if (HighScoreStopAt == step) std::raise(SIGKILL);
}
bool FailHere(int step) {
    if (HighScoreFailAt != step) return false;
    errno = EIO;
    return true;
}

// mkdir -p for the data folder.
bool MakeFolder(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// The table, open for reading: only a regular file counts, and a FIFO or a
// device in its place is never waited on. -1 when it cannot be had.
int OpenTable(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

// The first 240 bytes; those of a short file that are missing read as zero.
bool ReadTable(int fd, unsigned char bytes[HIGH_SCORE_FILE_BYTES]) {
    std::memset(bytes, 0, HIGH_SCORE_FILE_BYTES);
    size_t got = 0;
    while (got < static_cast<size_t>(HIGH_SCORE_FILE_BYTES)) {
        const ssize_t n = pread(fd, bytes + got, HIGH_SCORE_FILE_BYTES - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool ReadTableAt(const std::string& path, unsigned char bytes[HIGH_SCORE_FILE_BYTES]) {
    const int fd = OpenTable(path);
    if (fd < 0) return false;
    const bool ok = ReadTable(fd, bytes);
    close(fd);
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

bool WriteAll(int fd, const unsigned char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// The table open and locked against other insertions. A table renamed into
// place while this one waited for the lock is locked afresh, so that no
// insertion works from a table that has already been replaced.
int LockTable(const std::string& path) {
    for (int tries = 0; tries < 100; ++tries) {
        const int fd = OpenTable(path);
        if (fd < 0) return -1;
        int locked;
        while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat held, now;
        if (locked == 0 && fstat(fd, &held) == 0 && stat(path.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
            held.st_dev == now.st_dev)
            return fd;
        close(fd);
        if (locked != 0) return -1;
    }
    return -1;
}

// Writes the new table into a fresh temporary file and renames it over the
// table. On any failure the temporary file goes and the table stays.
bool ReplaceTable(const std::string& path, const unsigned char table[HIGH_SCORE_FILE_BYTES]) {
    const std::string temp = HighScorePath(TEMP);
    unlink(temp.c_str());  // one left by a killed insertion
    const int out = FailHere(HS_TEMP_OPEN) ? -1 : open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) return false;
    StopHere(HS_TEMP_OPEN);
    constexpr size_t half = HIGH_SCORE_FILE_BYTES / 2;
    bool ok = !FailHere(HS_HALF_WRITTEN) && WriteAll(out, table, half);
    if (ok) StopHere(HS_HALF_WRITTEN);
    ok = ok && !FailHere(HS_WRITTEN) && WriteAll(out, table + half, HIGH_SCORE_FILE_BYTES - half);
    if (ok) StopHere(HS_WRITTEN);
    ok = ok && !FailHere(HS_SYNCED) && fsync(out) == 0;
    if (ok) StopHere(HS_SYNCED);
    const bool closed = close(out) == 0 && !FailHere(HS_CLOSED);
    ok = ok && closed;
    if (ok) StopHere(HS_CLOSED);
    ok = ok && !FailHere(HS_RENAMED) && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    StopHere(HS_RENAMED);
    // The rename itself reaches the disk with the folder.
    const int folder = open(PlatformDataFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

}  // namespace

std::string HighScorePath(const char* fileName) { return PlatformDataFolder() + "/" + fileName; }

int CreateHighScoreFile() {
    const std::string path = HighScorePath(TABLE);
    // Whatever is there counts as the table; the readers judge it.
    const int existing = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (existing >= 0) {
        close(existing);
        return 1;
    }
    if (!MakeFolder(PlatformDataFolder())) return 0;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno == EEXIST ? 1 : 0;  // another copy made it meanwhile
    const unsigned char empty[HIGH_SCORE_FILE_BYTES] = {};
    const bool written = WriteAll(fd, empty, sizeof empty) && fsync(fd) == 0;
    if (close(fd) != 0 || !written) {
        unlink(path.c_str());
        return 0;
    }
    return 1;
}

int ReadHighScores(HighScoreRecord records[HIGH_SCORE_RECORDS]) {
    std::memset(records, 0, sizeof(HighScoreRecord) * HIGH_SCORE_RECORDS);
    unsigned char bytes[HIGH_SCORE_FILE_BYTES];
    if (!ReadTableAt(HighScorePath(TABLE), bytes)) return 0;
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
    return ReadTableAt(HighScorePath(TABLE), bytes) ? RankIn(bytes, score) : 0;
}

int InsertHighScore(const char* name, int32_t score) {
    const std::string path = HighScorePath(TABLE);
    const int fd = LockTable(path);
    if (fd < 0) return 0;
    unsigned char old[HIGH_SCORE_FILE_BYTES];
    if (!ReadTable(fd, old)) {
        close(fd);
        return 0;
    }
    StopHere(HS_LOCKED);

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
    const bool replaced = ReplaceTable(path, table);
    close(fd);  // the lock goes with it
    return replaced ? rank : 0;
}
