#include "tests/support.h"

#include <dirent.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "gfx/display.h"
#include "platform/headless/headless.h"
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

// Every folder a test made goes when the test program ends, whatever a test
// did to its permissions or however long its paths; VANTARO_KEEP_TEST_FILES
// keeps them for a look.
void RemoveTempFolders() {
    if (std::getenv("VANTARO_KEEP_TEST_FILES")) return;
    std::string script = "chmod -R u+rwx -- \"$@\" 2>/dev/null; rm -rf -- \"$@\"";
    std::string sh = "sh", c = "-c";
    std::vector<char*> args = {sh.data(), c.data(), script.data(), sh.data()};
    for (std::string& folder : TempFolders) args.push_back(folder.data());
    args.push_back(nullptr);
    pid_t pid;
    int status;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, args.data(), environ) == 0) waitpid(pid, &status, 0);
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

// The high-score table and the settings of a test program are never the
// player's: the data folder and the settings' folder are fresh temporary
// ones from the start.
static const bool DataFolderSet = [] {
    return setenv("VANTARO_DATA_DIR", TestDataFolder().c_str(), 1) == 0 &&
           setenv("XDG_CONFIG_HOME", MakeTempFolder().c_str(), 1) == 0;
}();

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
    std::vector<std::string> environment = env;  // replacing the variables of the same name
    for (char** e = environ; *e; ++e) {
        const std::string name = std::string(*e).substr(0, std::string(*e).find('=') + 1);
        if (std::none_of(env.begin(), env.end(), [&](const std::string& g) { return g.rfind(name, 0) == 0; }))
            environment.push_back(*e);
    }
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
