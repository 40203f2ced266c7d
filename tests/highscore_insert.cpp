// One insertion into the high-score table of $VANTARO_DATA_DIR, as its own
// process, for the tests that kill it, lock it out or fill its disk:
//   highscore_insert NAME SCORE      prints the rank
// VANTARO_HS_STOP_AT=N kills the process at step N of the insertion.
#include <cstdio>
#include <cstdlib>

#include "screens/highscore_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: highscore_insert NAME SCORE\n");
        return 2;
    }
    if (const char* stop = std::getenv("VANTARO_HS_STOP_AT")) HighScoreStopAt = std::atoi(stop);
    std::printf("%d\n", InsertHighScore(argv[1], static_cast<int32_t>(std::strtol(argv[2], nullptr, 10))));
    return 0;
}
