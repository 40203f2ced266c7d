// The tests' helpers that take the system's own calls, on Windows (run
// under Wine by the Linux build's tests).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <filesystem>

#include "tests/system.h"

const char* const SETTINGS_HOME = "APPDATA";

const char* const TEMP_HOME = "TMP";

std::string SettingsFileIn(const std::string& home) { return home + "/Vantaro/settings.ini"; }

namespace {

// UTF-8 as the system's UTF-16, by the system's own conversion (not the
// platform's, which is under test).
std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

}  // namespace

int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name)) return 0;
    // The C library's copy (narrow; an empty value removes it there), then
    // the system's, which the platform reads, in full Unicode.
    _putenv_s(name, value);
    return SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str()) ? 0 : -1;
}

int unsetenv(const char* name) {
    _putenv_s(name, "");
    return SetEnvironmentVariableW(Wide(name).c_str(), nullptr) || GetLastError() == ERROR_ENVVAR_NOT_FOUND ? 0 : -1;
}

namespace {

// An argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    for (auto c = argument.begin();; ++c) {
        size_t backslashes = 0;
        for (; c != argument.end() && *c == L'\\'; ++c) ++backslashes;
        if (c == argument.end()) {
            quoted.append(backslashes * 2, L'\\');
            break;
        }
        quoted.append(*c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += *c;
    }
    return quoted + L"\"";
}

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

std::wstring NameOf(const std::wstring& entry) { return Upper(entry.substr(0, entry.find(L'=', 1))); }

// This program's environment with the entries given replacing the
// variables of the same name (whatever their case), sorted by name as
// CreateProcessW would have it.
std::wstring EnvironmentBlock(const std::vector<std::string>& env) {
    std::vector<std::wstring> entries;
    for (const std::string& e : env) entries.push_back(Wide(e));
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* e = own; *e; e += wcslen(e) + 1) {
            const std::wstring name = NameOf(e);
            if (std::none_of(env.begin(), env.end(), [&](const std::string& g) { return NameOf(Wide(g)) == name; }))
                entries.push_back(e);
        }
        FreeEnvironmentStringsW(own);
    }
    std::sort(entries.begin(), entries.end(),
              [](const std::wstring& a, const std::wstring& b) { return NameOf(a) < NameOf(b); });
    std::wstring block;
    for (const std::wstring& e : entries) block += e + L'\0';
    return block + L'\0';
}

// Text as the C runtime writes it to a file, with Windows' line ends, read
// with the line ends the tests compare (Linux's).
std::string Lines(std::string text) {
    size_t to = 0;
    for (size_t from = 0; from < text.size(); ++from)
        if (text[from] != '\r' || from + 1 == text.size() || text[from + 1] != '\n') text[to++] = text[from];
    text.resize(to);
    return text;
}

BOOL WINAPI IgnoreCtrlC(DWORD event) { return event == CTRL_C_EVENT; }

bool IsConsole(DWORD which) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

// A console's Ctrl+C reaches every program attached to it; the one Wine
// gives a program started without a terminal takes no Ctrl events, so this
// program makes one of its own, where the Ctrl+C it sends itself is
// ignored. The programs it starts share it (Wine attaches a windowed
// program to its parent's console as well).
void ShareConsole() {
    static const bool shared = [] {
        if (!GetConsoleWindow() && !IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE)) {
            FreeConsole();
            AllocConsole();
        }
        return SetConsoleCtrlHandler(IgnoreCtrlC, TRUE) != 0;
    }();
    (void)shared;
}

namespace {

struct Windows {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    Windows& w = *reinterpret_cast<Windows*>(windows);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == w.process) w.found.push_back(window);
    return TRUE;
}

// The session ends, as the system tells every window: asked first, then
// told. False while the program has no window to tell.
bool EndSession(DWORD process) {
    Windows windows = {process, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows.found) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    }
    return !windows.found.empty();
}

// Sends what stands for the signal; false when it cannot be sent yet.
bool Send(const PROCESS_INFORMATION& child, int signal) {
    switch (signal) {
        case SIGINT: return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
        case SIGTERM: return EndSession(child.dwProcessId);
        case SIGKILL: return TerminateProcess(child.hProcess, 128 + SIGKILL) != 0;
        default:
            std::fprintf(stderr, "Run: signal %d has nothing standing for it on Windows\n", signal);
            return TerminateProcess(child.hProcess, 128 + SIGKILL) != 0;
    }
}

}  // namespace

bool MakeNonRegular(const std::string& path) { return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0; }

void RemoveFolders(std::vector<std::string> folders) {
    for (const std::string& folder : folders) {
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator e(Wide(folder), error), end; !error && e != end;
             e.increment(error))
            SetFileAttributesW(e->path().c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only ones too
        std::filesystem::remove_all(Wide(folder), error);
    }
}

RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutSeconds,
              const std::string& signalWhen, int signal) {
    RunResult result;
    const std::string folder = MakeTempFolder();
    const std::string outPath = folder + "/out", errPath = folder + "/err";
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    auto create = [&inherited](const std::string& path) {
        return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = create(outPath);
    startup.hStdError = create(errPath);
    if (signal == SIGINT) ShareConsole();
    std::wstring command;
    for (const std::string& a : argv) command += (command.empty() ? L"" : L" ") + Quoted(Wide(a));
    std::wstring environment = EnvironmentBlock(env);
    PROCESS_INFORMATION child = {};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                        environment.data(), nullptr, &startup, &child);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (!started) {
        result.err = "cannot start " + argv[0] + ": error " + std::to_string(GetLastError());
        return result;
    }
    CloseHandle(child.hThread);

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds) * 1000;
    while (WaitForSingleObject(child.hProcess, 5) == WAIT_TIMEOUT) {
        if (signal && ReadFile(errPath).find(signalWhen) != std::string::npos && Send(child, signal)) signal = 0;
        if (GetTickCount64() > deadline) {
            TerminateProcess(child.hProcess, 128 + SIGKILL);
            WaitForSingleObject(child.hProcess, INFINITE);
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    result.status = static_cast<int>(code);
    result.out = Lines(ReadFile(outPath));
    result.err = Lines(ReadFile(errPath));
    return result;
}

std::string CopyGameInto(const std::string& folder) {
    const std::string target = folder + "/vantaro.exe";
    WriteFile(target, ReadFile(VANTARO_GAME));
    return target;
}
