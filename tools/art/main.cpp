// vantaro_art: draws every picture of the game and writes the files the game
// loads, the program icons and, on request, a contact sheet to look at.
//
//   vantaro_art [--images DIR] [--resources DIR] [--sounds DIR] [--sheet FILE]
//
// The output is the same, byte for byte, on every run: no clock, no random
// numbers, fonts read from fixed files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw.h"
#include "pictures.h"
#include "sheet.h"

namespace {

using namespace art;

struct Options {
    std::string images, resources, sounds, sheet;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: vantaro_art [--images DIR] [--resources DIR] [--sounds DIR] [--sheet FILE]\n"
                 "  --images DIR     write machine.bmp, fruit.bmp, climb.bmp, btns.bmp\n"
                 "  --resources DIR  write splash.bmp, lcd.bmp, lcdalpha.bmp, icon{16,32,48,128,192,256,512}.png and\n"
                 "                   vantaro.ico (Windows)\n"
                 "  --sounds DIR     WAV files to show on the contact sheet\n"
                 "  --sheet FILE     write a contact sheet PNG of everything\n");
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string* target = nullptr;
        if (!std::strcmp(argv[i], "--images")) target = &o.images;
        if (!std::strcmp(argv[i], "--resources")) target = &o.resources;
        if (!std::strcmp(argv[i], "--sounds")) target = &o.sounds;
        if (!std::strcmp(argv[i], "--sheet")) target = &o.sheet;
        if (!target || i + 1 >= argc) return false;
        *target = argv[++i];
    }
    return !(o.images.empty() && o.resources.empty() && o.sheet.empty());
}

// A white-keyed sheet of tiles: reduced with white kept for the key alone,
// then the background a shape encloses made solid.
Indexed ReduceTiles(const Picture& p, int tileW, int tileH) {
    Indexed out = Quantize(p, KeyMode::kWhite);
    SealKeyHoles(out, tileW, tileH);
    return out;
}

ReducedSet DrawAll() {
    ReducedSet set;
    set.machine = Quantize(DrawMachine(), KeyMode::kUniqueCorner);
    set.symbols = ReduceTiles(DrawSymbolSheet(), symbols::kTile, symbols::kTile);
    set.ladder = ReduceTiles(DrawLadderSheet(), ladder::kTile, ladder::kTile);
    set.buttons = ReduceTiles(DrawButtonSheet(), buttons::kSize, buttons::kSize);
    set.splash = Quantize(DrawSplash(), KeyMode::kUniqueCorner);
    set.lcd = Quantize(DrawLcdDigits(), KeyMode::kNone);
    set.lcdAlpha = Quantize(DrawLcdLetters(), KeyMode::kNone);
    return set;
}

bool Write(const Indexed& image, const std::string& dir, const char* name) {
    const std::string path = (std::filesystem::path(dir) / name).string();
    if (WriteBmp(image, path)) return true;
    std::fprintf(stderr, "vantaro_art: cannot write %s\n", path.c_str());
    return false;
}

std::vector<std::string> IconPaths(const std::string& dir) {
    std::vector<std::string> paths;
    for (int size : icon::kSizes) {
        paths.push_back((std::filesystem::path(dir) / ("icon" + std::to_string(size) + ".png")).string());
    }
    return paths;
}

// The Windows program's icon: the PNG icons of 16, 32, 48 and 256 pixels in
// one .ico file (a header, a directory entry each, then each PNG whole, as
// Windows Vista and later read them).
bool WriteIco(const std::vector<std::string>& icons, const std::string& path) {
    std::vector<std::string> images;
    std::vector<int> sizes;
    for (size_t i = 0; i < icons.size(); ++i) {
        const int size = icon::kSizes[i];
        if (size != 16 && size != 32 && size != 48 && size != 256) continue;
        std::ifstream in(icons[i], std::ios::binary);
        images.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (images.back().empty()) return false;
        sizes.push_back(size);
    }
    std::string ico;
    auto put = [&ico](uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b) ico += static_cast<char>(value >> (8 * b));
    };
    put(0, 2);
    put(1, 2);  // an icon
    put(static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        put(sizes[i] == 256 ? 0 : sizes[i], 1);  // 0 stands for 256
        put(sizes[i] == 256 ? 0 : sizes[i], 1);
        put(0, 2);   // no palette, reserved
        put(1, 2);   // planes
        put(32, 2);  // bits per pixel
        put(static_cast<uint32_t>(images[i].size()), 4);
        put(offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) ico += image;
    std::ofstream out(path, std::ios::binary);
    out << ico;
    return static_cast<bool>(out.flush());
}

bool WriteAll(const ReducedSet& set, const Options& o, std::vector<std::string>& icons) {
    bool ok = true;
    std::error_code error;
    if (!o.images.empty()) {
        std::filesystem::create_directories(o.images, error);
        ok &= Write(set.machine, o.images, "machine.bmp") & Write(set.symbols, o.images, "fruit.bmp") &
              Write(set.ladder, o.images, "climb.bmp") & Write(set.buttons, o.images, "btns.bmp");
    }
    // The sheet shows the icons from files, so without a resources directory
    // they go beside the sheet.
    const std::string iconDir =
        !o.resources.empty() ? o.resources : std::filesystem::path(o.sheet).parent_path().string();
    if (!o.resources.empty()) {
        std::filesystem::create_directories(o.resources, error);
        ok &= Write(set.splash, o.resources, "splash.bmp") & Write(set.lcd, o.resources, "lcd.bmp") &
              Write(set.lcdAlpha, o.resources, "lcdalpha.bmp");
    }
    if (!o.resources.empty() || !o.sheet.empty()) {
        icons = IconPaths(iconDir.empty() ? "." : iconDir);
        for (size_t i = 0; i < icons.size(); ++i) {
            if (!WriteIcon(icon::kSizes[i], icons[i])) {
                std::fprintf(stderr, "vantaro_art: cannot write %s\n", icons[i].c_str());
                ok = false;
            }
        }
    }
    if (ok && !o.resources.empty()) {
        const std::string ico = (std::filesystem::path(o.resources) / "vantaro.ico").string();
        if (!WriteIco(icons, ico)) {
            std::fprintf(stderr, "vantaro_art: cannot write %s\n", ico.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        Usage();
        return 2;
    }
    const ReducedSet set = DrawAll();
    std::vector<std::string> icons;
    bool ok = WriteAll(set, options, icons);
    if (!options.sheet.empty() && !WriteContactSheet(set, icons, options.sounds, options.sheet)) {
        std::fprintf(stderr, "vantaro_art: cannot write %s\n", options.sheet.c_str());
        ok = false;
    }
    ReleaseFonts();
    return ok ? 0 : 1;
}
