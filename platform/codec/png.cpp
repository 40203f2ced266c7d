#include "platform/codec/png.h"

#include <png.h>

#include <vector>

#include "platform/winapi/kernel.h"
#include "platform/os/files.h"

namespace platform {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void Flush(png_structp) {}

}  // namespace

bool EncodePng565(const uint16_t* pixels, int width, int height, std::string* out) {
    out->clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_set_write_fn(png, out, Append, Flush);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint16_t p = pixels[static_cast<size_t>(y) * width + x];
                const int r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
                row[3 * x] = static_cast<png_byte>((r << 3) | (r >> 2));
                row[3 * x + 1] = static_cast<png_byte>((g << 2) | (g >> 4));
                row[3 * x + 2] = static_cast<png_byte>((b << 3) | (b >> 2));
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}

bool WritePng565(const char* path, const uint16_t* pixels, int width, int height, std::string* error) {
    std::string png, why = "the picture cannot be encoded";
    const bool ok = EncodePng565(pixels, width, height, &png) && PlatformWriteFile(path, png, &why);
    if (!ok && error) *error = std::string("cannot write ") + path + ": " + why;
    return ok;
}

}  // namespace platform
