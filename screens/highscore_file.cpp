#include "screens/highscore_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/platform.h"

std::string HighScorePath(const char* fileName) { return PlatformDataFolder() + "/" + fileName; }

// mkdir -p for the data folder.
static bool MakeFolder(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

int CreateHighScoreFile() {
    const std::string path = HighScorePath("vantarohs.dat");
    if (FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        return 1;
    }
    if (!MakeFolder(PlatformDataFolder())) return 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    const unsigned char empty[12 * 20] = {};
    const bool written = std::fwrite(empty, 1, sizeof empty, file) == sizeof empty;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        return 0;
    }
    return 1;
}
