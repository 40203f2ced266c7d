/* Prints the monotonic clock in microseconds on stderr, as the game's
 * present trace does, then becomes the program named on its command line:
 * bench/startup_time.sh takes that moment as the launch. It prints the raw
 * monotonic clock as well ("launch-raw"), which a Windows program counts in
 * under Wine (QueryPerformanceCounter): bench/startup_time.sh with a
 * Windows build.
 *   exec_clock PROGRAM [ARGUMENT]... */
#include <stdio.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: exec_clock PROGRAM [ARGUMENT]...\n");
        return 2;
    }
    struct timespec now, raw;
    clock_gettime(CLOCK_MONOTONIC, &now);
    clock_gettime(CLOCK_MONOTONIC_RAW, &raw);
    fprintf(stderr, "exec_clock: launch %lld\nexec_clock: launch-raw %lld\n",
            (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000, (long long)raw.tv_sec * 1000000 + raw.tv_nsec / 1000);
    execvp(argv[1], argv + 1);
    perror("exec_clock");
    return 127;
}
