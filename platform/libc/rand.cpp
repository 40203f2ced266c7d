// rand() and srand() of the C library, dealt as the GNU C library deals
// them, for a build whose C library deals other numbers (the page's musl,
// Windows' runtime): a game given a starting tick plays the desktop's games.
#include <cstdlib>

#include "platform/libc/glibc_random.h"

namespace {
platform::GlibcRandom& Random() {
    static platform::GlibcRandom random;
    return random;
}
}  // namespace

extern "C" int rand() { return Random().Next(); }
extern "C" void srand(unsigned seed) { Random().Seed(seed); }
