// Feeds arbitrary bytes to a bitmap loader: it may refuse them, but must never
// read outside them (AddressSanitizer) or misbehave (UndefinedBehaviorSanitizer).
#include <cstddef>
#include <cstdint>

#include "gfx/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetPixelFormatFlags(PIXEL_FORMAT_565);
    Surface surface;
#if defined(FUZZ_FILE)
    LoadBitmapFileData(surface, data, size);
#else
    LoadBitmapResourceData(surface, data, size);
#endif
    return 0;
}
