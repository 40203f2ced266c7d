#include "tests/support.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gfx/display.h"
#include "platform/headless/headless.h"
#include "platform/os/files.h"
#include "platform/platform.h"

void StartHeadless(uint32_t startTick) {
    PlatformOptions options;
    options.backend = BackendKind::Headless;
    options.startTick = startTick;
    PlatformSelect(options);
    headless::SetLogLimit(headless::LOG_ALL);  // tests read the logs from the start
    std::string error;
    PlatformInit(&error);
    SetPixelFormatFlags(0x80);
}

namespace {

// Made at its first use, which may come from another file's start-up, and
// so gone only after RemoveTempFolders, registered after it, has run.
std::vector<std::string>& TempFolders() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveTempFolders() {
    if (!std::getenv("VANTARO_KEEP_TEST_FILES")) RemoveFolders(TempFolders());
}

void RemoveOnExit(const std::string& folder) {
    if (TempFolders().empty()) std::atexit(RemoveTempFolders);
    TempFolders().push_back(folder);
}

}  // namespace

std::string MakeTempFolder() {
    std::string error;
    const std::string folder = PlatformMakeTempFolder("vantaro-test-", &error);
    if (!folder.empty()) RemoveOnExit(folder);
    return folder;
}

const std::string& TestDataFolder() {
    static const std::string folder = MakeTempFolder();
    return folder;
}

// The high-score table and the settings of a test program are never the
// player's: the data folder and the settings' folder are fresh temporary
// ones from the start.
static const bool DataFolderSet = [] {
    return setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1) == 0 &&
           setenv(SETTINGS_HOME, MakeTempFolder().c_str(), 1) == 0;
}();

namespace {

// A path as the system takes it, from the UTF-8 the tests hold, and back:
// on Windows by the C++ library's own conversion, not the platform's, which
// is under test.
std::filesystem::path SystemPath(const std::string& path) {
#ifdef _WIN32
    return std::u8string(path.begin(), path.end());
#else
    return path;
#endif
}

std::string Utf8(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.string();
#endif
}

}  // namespace

std::string ReadFile(const std::string& path) {
    std::ifstream in(SystemPath(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(SystemPath(path), std::ios::binary);
    out << bytes;
}

bool MakeFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::create_directory(SystemPath(path), error);
}

bool LinkOrCopy(const std::string& target, const std::string& name) {
    std::error_code error;
#ifdef _WIN32
    std::filesystem::copy(SystemPath(target), SystemPath(name), std::filesystem::copy_options::recursive, error);
#else
    std::filesystem::create_symlink(target, name, error);
#endif
    return !error;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(SystemPath(path), error);
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator e(SystemPath(path), error), end; !error && e != end; e.increment(error))
        names.push_back(Utf8(e->path().filename()));
    return names;
}

std::string WaveHeader(uint32_t rate, uint32_t dataBytes) {
    std::string w = "RIFF";
    auto put = [&w](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w += static_cast<char>(v >> (8 * i));
    };
    put(36 + dataBytes, 4);
    w += "WAVEfmt ";
    for (auto [v, n] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {rate, 4}, {rate * 2, 4}, {2u, 2}, {16u, 2}}) put(v, n);
    w += "data";
    put(dataBytes, 4);
    return w;
}

std::vector<uint32_t> ReadPng(const std::string& path) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) || image.width != 240 || image.height != 320)
        return {};
    std::vector<uint32_t> pixels(240 * 320);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (rgb[3 * i] << 16) | (rgb[3 * i + 1] << 8) | rgb[3 * i + 2];
    return pixels;
}
