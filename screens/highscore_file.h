// The high-score table, the one thing that outlives a game: twelve records
// of a 16-byte name and a signed 32-bit little-endian score, best first, in
// "vantarohs.dat" in the player's data folder (240 bytes, no header).
//
// Every operation opens, reads and closes the file; nothing is cached. An
// insertion writes the new table beside the old one ("vantarohs.tmp"),
// flushes it to disk and renames it over the old in one step, under an
// advisory lock on the table, so a crash, a full disk or a second copy of
// the program at the wrong moment leaves either the old table or the new.
// A "vantarohs.dat" that is a symbolic link is saved through: the new table
// is written beside the link's target and renamed over it, so the link stays
// and the table it names is kept up to date.
//
// Whatever stops a save is told to the player in a "High Scores" box and,
// with the folder and the system's reason, on stderr.
#pragma once
#include <cstdint>
#include <string>

constexpr int HIGH_SCORE_RECORDS = 12;
constexpr int HIGH_SCORE_NAME_BYTES = 16;
constexpr int HIGH_SCORE_RECORD_BYTES = 20;
constexpr int HIGH_SCORE_FILE_BYTES = HIGH_SCORE_RECORDS * HIGH_SCORE_RECORD_BYTES;

struct HighScoreRecord {
    char name[HIGH_SCORE_NAME_BYTES];  // zero-terminated; an empty name is an empty entry
    int32_t score;                     // units of ten pence
};

// 1 when the table file exists or was created (with twelve empty entries),
// 0 when it cannot be created (the reason is on stderr; the caller tells the
// player). Creates the data folder when missing. Something in the table's
// place that cannot be read as a table (a folder, a FIFO, a device, a
// dangling link) is told of in a box and on stderr, and still gives 1: the
// game plays on, offering no saves.
int CreateHighScoreFile();
// The twelve records as a player may see them: a short file's missing
// records are empty, bytes past 240 are ignored, a name is at most 15
// characters whatever its bytes. 0 when the table is not a regular file or
// cannot be read (the records are then all empty).
int ReadHighScores(HighScoreRecord records[HIGH_SCORE_RECORDS]);
// The rank 1 to 12 the score would take (it must beat an entry strictly), 0
// when it would not enter the table or the table cannot be read.
int HighScoreRank(int32_t score);
// Puts the name (at most 15 characters are kept) and score in the table and
// returns their rank 1 to 12; 0 when they did not enter it (the table is
// rewritten unchanged) or when the table could not be read or rewritten (it
// is then left exactly as it was, and the player is told why). The table is
// the one kept at that moment (a page's other tab may have saved since this
// one read it), and the insertion is done only once the new table is kept:
// one that is not gives way to the old again. A table the
// user may not write counts as read-only, even where the folder would let a
// rename replace it. The lock is waited for at most HighScoreLockWaitMs.
int InsertHighScore(const char* name, int32_t score);

// Fault injection for the tests. At HighScoreStopAt an insertion stops as a
// killed process would, leaving whatever it has made; at HighScoreFailAt the
// system call of that step fails. -1 (the default) for neither.
enum HighScoreStep {
    HS_LOCKED,       // the table is open, locked and read
    HS_TEMP_OPEN,    // the temporary file is created
    HS_HALF_WRITTEN, // half of the new table is written
    HS_WRITTEN,      // all of it is written
    HS_SYNCED,       // and flushed to disk
    HS_CLOSED,       // and closed
    HS_RENAMED,      // renamed over the table
    HS_KEPT,         // and the folder kept (synced; in a page, stored in the browser)
    HS_STEPS
};
extern int HighScoreStopAt;
extern int HighScoreFailAt;
// How long an insertion waits for a lock another program holds, 10 seconds
// by default; the tests shorten it.
extern int HighScoreLockWaitMs;
