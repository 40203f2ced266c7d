// The tests' helpers that take the system's own calls, on Linux.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/system.h"

extern char** environ;

const char* const SETTINGS_HOME = "XDG_CONFIG_HOME";

const char* const TEMP_HOME = "TMPDIR";

std::string SettingsFileIn(const std::string& home) { return home + "/vantaro/settings.ini"; }

bool MakeNonRegular(const std::string& path) { return mkfifo(path.c_str(), 0644) == 0; }

void RemoveFolders(std::vector<std::string> folders) {
    std::string script = "chmod -R u+rwx -- \"$@\" 2>/dev/null; rm -rf -- \"$@\"";
    std::string sh = "sh", c = "-c";
    std::vector<char*> args = {sh.data(), c.data(), script.data(), sh.data()};
    for (std::string& folder : folders) args.push_back(folder.data());
    args.push_back(nullptr);
    pid_t pid;
    int status;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, args.data(), environ) == 0) waitpid(pid, &status, 0);
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
