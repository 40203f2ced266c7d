#include "platform/png.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/system.h"

bool WritePng565(const char* path, const uint16_t* pixels, int width, int height, std::string* error) {
    std::string why;
    const int fd = CreateRegularFile(path, &why);
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (fd >= 0) close(fd);
        if (error) *error = std::string("cannot write ") + path + ": " + (fd >= 0 ? std::strerror(errno) : why);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    bool ok = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
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
    if (std::fclose(file) != 0) ok = false;
    if (!ok && error && error->empty()) *error = std::string("cannot write ") + path;
    return ok;
}
