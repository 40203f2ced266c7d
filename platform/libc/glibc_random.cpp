#include "platform/libc/glibc_random.h"

namespace platform {

void GlibcRandom::Seed(uint32_t seed) {
    // The words start as a multiplicative congruential sequence from the
    // seed (0 counts as 1), computed without overflow (Schrage's method).
    state[0] = static_cast<int32_t>(seed == 0 ? 1 : seed);
    for (int i = 1; i < 31; ++i) {
        const int32_t hi = state[i - 1] / 127773, lo = state[i - 1] % 127773;
        int32_t word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        state[i] = word;
    }
    front = 3;
    rear = 0;
    for (int i = 0; i < 310; ++i) Next();  // the first ten rounds are thrown away
}

int32_t GlibcRandom::Next() {
    const uint32_t sum = static_cast<uint32_t>(state[front]) + static_cast<uint32_t>(state[rear]);
    state[front] = static_cast<int32_t>(sum);
    front = front + 1 == 31 ? 0 : front + 1;
    rear = rear + 1 == 31 ? 0 : rear + 1;
    return static_cast<int32_t>(sum >> 1);
}

}  // namespace platform
