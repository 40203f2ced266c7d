#include "tests/support.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "gfx/display.h"
#include "platform/headless.h"
#include "platform/platform.h"

extern char** environ;

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

std::vector<std::string> TempFolders;

int OpenUp(const char* path, const struct stat* st, int type, FTW*) {
    if (type == FTW_D || type == FTW_DNR) chmod(path, (st->st_mode & 07777) | S_IRWXU);
    return 0;
}

// Every folder a test made goes when the test program ends, whatever a test
// did to its permissions; VANTARO_KEEP_TEST_FILES keeps them for a look.
void RemoveTempFolders() {
    if (std::getenv("VANTARO_KEEP_TEST_FILES")) return;
    std::vector<char*> args = {const_cast<char*>("rm"), const_cast<char*>("-rf"), const_cast<char*>("--")};
    for (const std::string& folder : TempFolders) {
        nftw(folder.c_str(), OpenUp, 16, FTW_PHYS);
        args.push_back(const_cast<char*>(folder.c_str()));
    }
    args.push_back(nullptr);
    // rm, unlike nftw, also takes paths longer than the system's limit apart.
    pid_t pid;
    int status;
    if (posix_spawnp(&pid, "rm", nullptr, nullptr, args.data(), environ) == 0) waitpid(pid, &status, 0);
}

}  // namespace

std::string MakeTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vantaro-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!mkdtemp(buffer.data())) return std::string();
    if (TempFolders.empty()) std::atexit(RemoveTempFolders);
    TempFolders.push_back(buffer.data());
    return buffer.data();
}

const std::string& TestDataFolder() {
    static const std::string folder = MakeTempFolder();
    return folder;
}

// The high-score table of a test program is never the player's: the data
// folder is a fresh temporary one from the start.
static const bool DataFolderSet = [] { return setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1) == 0; }();

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(dir);
    }
    return names;
}

RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutSeconds,
              const std::string& signalWhen, int signal) {
    RunResult result;
    const std::string folder = MakeTempFolder();
    const std::string outPath = folder + "/out", errPath = folder + "/err";
    std::vector<std::string> environment;
    // The given variables replace those of the same name.
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& given : env) replaced = replaced || given.rfind(name, 0) == 0;
        if (!replaced) environment.push_back(entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (signal && ReadFile(errPath).find(signalWhen) != std::string::npos) {
            kill(pid, signal);
            signal = 0;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

std::string CopyGameInto(const std::string& folder) {
    const std::string target = folder + "/vantaro";
    WriteFile(target, ReadFile(VANTARO_GAME));
    chmod(target.c_str(), 0755);
    return target;
}

bool ReadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    pixels->resize(static_cast<size_t>(*width) * *height);
    for (size_t i = 0; i < pixels->size(); ++i)
        (*pixels)[i] = (rgb[3 * i] << 16) | (rgb[3 * i + 1] << 8) | rgb[3 * i + 2];
    return true;
}
