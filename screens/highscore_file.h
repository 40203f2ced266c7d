// The high-score table, the one thing that outlives a game: twelve records
// of a 16-byte name and a signed 32-bit little-endian score, best first, in
// "vantarohs.dat" in the player's data folder.
#pragma once
#include <cstdint>
#include <string>

struct HighScoreRecord {
    char name[16];  // zero-terminated; an empty name is an empty entry
    int32_t score;  // units of ten pence
};

// Where a file of the table lives: the per-user data folder (see platform.h).
std::string HighScorePath(const char* fileName);
// 1 when the table file exists or was created (with twelve empty entries),
// 0 when it cannot be created. Creates the data folder when missing.
int CreateHighScoreFile();
