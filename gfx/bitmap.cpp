#include "gfx/bitmap.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/winapi/kernel.h"
#include "platform/os/files.h"
#include "platform/os/text.h"

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr size_t INFO_HEADER_SIZE = 40;
// Far beyond any picture of the game; keeps a hostile header from asking for
// gigabytes.
constexpr int32_t MAX_SIDE = 4096;
constexpr size_t MAX_FILE_SIZE = 32u << 20;

// The pictures the drawing takes tiles and whole screens from at fixed
// places: each must have exactly its size, or a blit would read or write
// outside a Surface. Keyed by file name (the last component of a path) or
// resource name, compared without regard to case; other pictures load at
// any size.
struct PictureSize {
    const char* name;
    int32_t width, height;
};
constexpr PictureSize PictureSizes[] = {
    {"machine.bmp", 240, 320},  // the cabinet, copied whole into the back buffer
    {"fruit.bmp", 200, 150},    // twelve 50 x 50 symbol tiles, four to a row
    {"climb.bmp", 240, 320},    // the ladder's dark and lit 80 x 80 rung tiles
    {"btns.bmp", 160, 80},      // CLIMB and COLLECT, 80 x 80 each
    {"SPLASH", 240, 320},       // the title screen, copied whole into the back buffer
    {"LCD", 169, 23},           // thirteen 13 x 23 digit cells
    {"LCDALPHA", 648, 41},      // twenty-seven 24 x 41 letter cells
};

// The size a picture of this path or resource name must have, or nullptr.
const PictureSize* ExpectedSize(const char* name) {
    const char* slash = std::strrchr(name, '/');
    const char* base = slash ? slash + 1 : name;
    for (const PictureSize& p : PictureSizes)
        if (strcasecmp(p.name, base) == 0) return &p;
    return nullptr;
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// What a palette picture's info header says, once it has been found sound.
struct DibLayout {
    int32_t width;
    int32_t height;
    int bits;         // 8 or 4
    uint32_t colours; // palette entries: 256 or 16
    size_t stride;    // bytes per stored row
};

// Checks an info header of `size` bytes: a 40-byte header of an
// uncompressed, bottom-up palette picture of a sane size whose palette fits.
bool ReadLayout(const uint8_t* header, size_t size, DibLayout& layout) {
    if (size < INFO_HEADER_SIZE || Read32(header) != INFO_HEADER_SIZE) return false;
    const int32_t width = static_cast<int32_t>(Read32(header + 4));
    const int32_t height = static_cast<int32_t>(Read32(header + 8));
    const int bits = Read16(header + 14);
    const uint32_t compression = Read32(header + 16);
    if (width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE || compression != 0) return false;
    const uint32_t colours = DibColourCount(header);
    if (!((bits == 8 && colours == 256) || (bits == 4 && colours == 16))) return false;
    if (INFO_HEADER_SIZE + 4 * static_cast<size_t>(colours) > size) return false;
    layout = {width, height, bits, colours, ((static_cast<size_t>(bits) * width + 31) / 32) * 4};
    return true;
}

// Converts the pixel rows at `pixels` (which the caller has checked hold
// layout.stride x layout.height bytes) through the palette into surface.
// Every index has a palette entry: 8-bit pictures carry all 256, 4-bit ones
// all 16.
bool Convert(Surface& surface, const DibLayout& layout, const uint8_t* palette, const uint8_t* pixels) {
    uint16_t native[256];
    for (uint32_t i = 0; i < layout.colours; ++i) {
        const uint8_t* entry = palette + 4 * i;
        native[i] = MakeColour(entry[2], entry[1], entry[0]);
    }
    if (!surface.Create(layout.width, layout.height)) return false;
    for (int32_t y = 0; y < layout.height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(layout.height - 1 - y) * layout.stride;
        for (int32_t x = 0; x < layout.width; ++x) {
            const uint8_t index = layout.bits == 8 ? row[x] : ((x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4));
            surface.PutPixel(x, y, native[index]);
        }
    }
    return true;
}

// A layout of another size than expected (when a size is expected) is
// refused, with the two sizes in *why.
bool HasExpectedSize(const DibLayout& layout, const PictureSize* expected, std::string* why) {
    if (!expected || (layout.width == expected->width && layout.height == expected->height)) return true;
    *why = "is " + std::to_string(layout.width) + " x " + std::to_string(layout.height) + ", not " +
           std::to_string(expected->width) + " x " + std::to_string(expected->height);
    return false;
}

// The work of the two loaders on data in memory: false with the reason in
// *why, the Surface untouched.
bool DecodeFile(Surface& surface, const uint8_t* data, size_t size, const PictureSize* expected,
                std::string* why) {
    if (size < FILE_HEADER_SIZE + INFO_HEADER_SIZE || data[0] != 'B' || data[1] != 'M') {
        *why = "is not a BMP file";
        return false;
    }
    DibLayout layout;
    const uint8_t* info = data + FILE_HEADER_SIZE;
    if (!ReadLayout(info, size - FILE_HEADER_SIZE, layout) || layout.bits != 8) {
        *why = "is not an uncompressed 8-bit BMP";
        return false;
    }
    if (!HasExpectedSize(layout, expected, why)) return false;
    // Pixels start after the full palette, or later where the file says so.
    const size_t paletteEnd = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * 256;
    const size_t offset = Read32(data + 10);
    if (offset < paletteEnd || offset > size || layout.stride * layout.height > size - offset) {
        *why = "is cut short or damaged";
        return false;
    }
    if (Convert(surface, layout, info + INFO_HEADER_SIZE, data + offset)) return true;
    *why = "does not fit in memory";
    return false;
}

bool DecodeResource(Surface& surface, const uint8_t* data, size_t size, const PictureSize* expected,
                    std::string* why) {
    DibLayout layout;
    if (!data || !ReadLayout(data, size, layout)) {
        *why = "is not an uncompressed 8-bit or 4-bit bitmap";
        return false;
    }
    if (!HasExpectedSize(layout, expected, why)) return false;
    const size_t offset = INFO_HEADER_SIZE + 4 * static_cast<size_t>(layout.colours);
    if (layout.stride * layout.height > size - offset) {
        *why = "is cut short";
        return false;
    }
    if (Convert(surface, layout, data + INFO_HEADER_SIZE, data + offset)) return true;
    *why = "does not fit in memory";
    return false;
}

}  // namespace

uint16_t DibColourCount(const uint8_t* infoHeader) {
    const uint32_t headerSize = Read32(infoHeader);
    if (headerSize == INFO_HEADER_SIZE) {
        const uint32_t used = Read32(infoHeader + 32);
        if (used != 0) return static_cast<uint16_t>(used);
    }
    const int bits = Read16(infoHeader + (headerSize == INFO_HEADER_SIZE ? 14 : 10));
    switch (bits) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

bool LoadBitmapFileData(Surface& surface, const uint8_t* data, size_t size) {
    std::string why;
    return DecodeFile(surface, data, size, nullptr, &why);
}

bool LoadBitmapResourceData(Surface& surface, const uint8_t* data, size_t size) {
    std::string why;
    return DecodeResource(surface, data, size, nullptr, &why);
}

// Every failure is said on stderr with the path or resource name and the
// reason; the callers' boxes name only the picture.
bool LoadBitmapFile(Surface& surface, const char* path) {
    std::string data, why;
    const bool ok = PlatformReadFile(path, MAX_FILE_SIZE, &data, &why) &&
                    DecodeFile(surface, reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                               ExpectedSize(path), &why);
    if (!ok) PlatformWarn("%s: %s", path && *path ? path : "picture", why.c_str());
    return ok;
}

bool LoadBitmapResource(Surface& surface, HINSTANCE instance, const wchar_t* name) {
    if (!name) return false;
    char narrow[256] = "";
    if (IS_INTRESOURCE(name))
        std::snprintf(narrow, sizeof narrow, "#%u", static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    else
        PlatformWideToNarrow(name, narrow, sizeof narrow);
    std::string why = "is not in the program";
    bool ok = false;
    if (HRSRC found = FindResourceW(instance, name, RT_BITMAP)) {
        if (HGLOBAL loaded = LoadResource(instance, found)) {
            ok = DecodeResource(surface, static_cast<const uint8_t*>(LockResource(loaded)),
                                SizeofResource(instance, found), ExpectedSize(narrow), &why);
            FreeResource(loaded);
        }
    }
    if (!ok) PlatformWarn("resource %s: %s", narrow, why.c_str());
    return ok;
}
