#include "gfx/bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system.h"

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr size_t INFO_HEADER_SIZE = 40;
// Far beyond any picture of the game; keeps a hostile header from asking for
// gigabytes.
constexpr int32_t MAX_SIDE = 4096;
constexpr long MAX_FILE_SIZE = 32L << 20;

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
    if (size < FILE_HEADER_SIZE + INFO_HEADER_SIZE || data[0] != 'B' || data[1] != 'M') return false;
    DibLayout layout;
    const uint8_t* info = data + FILE_HEADER_SIZE;
    if (!ReadLayout(info, size - FILE_HEADER_SIZE, layout) || layout.bits != 8) return false;
    // Pixels start after the full palette, or later where the file says so.
    const size_t paletteEnd = FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * 256;
    const size_t offset = Read32(data + 10);
    if (offset < paletteEnd || offset > size || layout.stride * layout.height > size - offset) return false;
    return Convert(surface, layout, info + INFO_HEADER_SIZE, data + offset);
}

bool LoadBitmapResourceData(Surface& surface, const uint8_t* data, size_t size) {
    DibLayout layout;
    if (!data || !ReadLayout(data, size, layout)) return false;
    const size_t offset = INFO_HEADER_SIZE + 4 * static_cast<size_t>(layout.colours);
    if (layout.stride * layout.height > size - offset) return false;
    return Convert(surface, layout, data + INFO_HEADER_SIZE, data + offset);
}

bool LoadBitmapFile(Surface& surface, const char* path) {
    if (!path || !*path) return false;
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    bool ok = false;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    if (length > 0 && length <= MAX_FILE_SIZE && std::fseek(file, 0, SEEK_SET) == 0) {
        uint8_t* block = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(length), 1));
        if (block) {
            const size_t got = std::fread(block, 1, static_cast<size_t>(length), file);
            ok = got == static_cast<size_t>(length) && LoadBitmapFileData(surface, block, got);
            std::free(block);
        }
    }
    std::fclose(file);
    return ok;
}

bool LoadBitmapResource(Surface& surface, HINSTANCE instance, const wchar_t* name) {
    if (!name) return false;
    HRSRC found = FindResourceW(instance, name, RT_BITMAP);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded) return false;
    const bool ok = LoadBitmapResourceData(surface, static_cast<const uint8_t*>(LockResource(loaded)),
                                           SizeofResource(instance, found));
    FreeResource(loaded);
    return ok;
}
