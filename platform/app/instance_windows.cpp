// One running copy per user and data folder on Windows: a named pipe.
//
// The first copy creates the pipe \\.\pipe\vantaro-<its user's SID>-<a hash
// of the data folder> as its first instance, which no one else can then do
// (Wine does not keep to that: a copy first asks whether the pipe is there),
// with a security descriptor that lets only its own user connect. A later
// copy connects, checks that the process at the other end is of its own
// user (anyone may create a pipe of any name first, and a pipe of another
// user's is no copy of this game), lets that process take the foreground
// and sends its request line, which the first copy answers "ok".
//
// The first copy serves a few peers at once from a thread of its own, each
// with a second to send its line, so that idle peers never keep a second
// copy from its answer; a peer of another user is hung up on at once.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "platform/app/instance.h"
#include "platform/os/text.h"
#include "platform/platform.h"

namespace platform {

namespace {

constexpr DWORD REQUEST_BYTES_MAX = 512;
constexpr DWORD ANSWER_MS = 1000;
constexpr int PEERS_MAX = 8;

std::wstring PipeName;
HANDLE First = INVALID_HANDLE_VALUE;  // the pipe's first instance, until the listener takes it
HANDLE Stop = nullptr;                // set once to end the listener's thread
bool OtherCopy = false;
std::thread ListenThread;

// The SID of a process's user, as a string; empty when it cannot be read.
std::wstring UserOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return L"";
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<char[]> buffer(new char[size ? size : 1]);
    std::wstring sid;
    wchar_t* text = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer.get(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

std::wstring UserOfProcess(ULONG pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return L"";
    std::wstring sid = UserOf(process);
    CloseHandle(process);
    return sid;
}

const std::wstring& OwnUser() {
    static const std::wstring sid = UserOf(GetCurrentProcess());
    return sid;
}

// An instance of the pipe that only this user may open.
HANDLE NewInstance(bool first) {
    const std::wstring sddl = L"D:P(A;;GA;;;" + OwnUser() + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    HANDLE pipe = CreateNamedPipeW(PipeName.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                   PIPE_UNLIMITED_INSTANCES, REQUEST_BYTES_MAX, REQUEST_BYTES_MAX, 0, &security);
    LocalFree(descriptor);
    return pipe;
}

// One instance of the pipe and the peer on it: waiting for a peer to
// connect, reading its line until its deadline, or, once answered, waiting
// for it to hang up (a pipe let go with an answer unread loses the answer).
struct Slot {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED io = {};
    enum { Connecting, Reading, Answered } state = Connecting;
    bool connectedAtOnce = false;  // a peer was there before the slot listened
    ULONGLONG deadline = 0;
    char buffer[REQUEST_BYTES_MAX];
    std::string line;
};

// A peer that connected before the slot listened (since the instance was
// made, or since its last peer was dropped) is connected at once, and then
// the system has nothing to report through the slot's OVERLAPPED.
void Listen(Slot& s) {
    s.state = Slot::Connecting;
    s.line.clear();
    ResetEvent(s.event);
    s.io = {};
    s.io.hEvent = s.event;
    s.connectedAtOnce = ConnectNamedPipe(s.pipe, &s.io) || GetLastError() == ERROR_PIPE_CONNECTED;
    if (s.connectedAtOnce) {
        SetEvent(s.event);
    } else if (GetLastError() != ERROR_IO_PENDING) {
        Sleep(10);  // a pipe that fails to connect is tried again, not spun on
        SetEvent(s.event);
    }
}

void Drop(Slot& s) {
    CancelIo(s.pipe);
    DisconnectNamedPipe(s.pipe);
    Listen(s);
}

// Starts a read of what the peer sends next.
bool Read(Slot& s) {
    ResetEvent(s.event);
    s.io = {};
    s.io.hEvent = s.event;
    if (ReadFile(s.pipe, s.buffer, sizeof s.buffer, nullptr, &s.io) || GetLastError() == ERROR_IO_PENDING) return true;
    return false;
}

void Step(Slot& s, InstanceHandler handler) {
    DWORD n = 0;
    const bool done = GetOverlappedResult(s.pipe, &s.io, &n, FALSE);
    if (s.state == Slot::Connecting) {
        ULONG pid = 0;
        if (!done && !s.connectedAtOnce) return Drop(s);
        if (!GetNamedPipeClientProcessId(s.pipe, &pid) || UserOfProcess(pid) != OwnUser()) {
            PlatformTrace("a request from another user refused");
            return Drop(s);
        }
        s.state = Slot::Reading;
        s.deadline = GetTickCount64() + ANSWER_MS;
        if (!Read(s)) Drop(s);
        return;
    }
    if (s.state == Slot::Answered || !done) return Drop(s);  // hung up, or failed
    s.line.append(s.buffer, n);
    const size_t end = s.line.find('\n');
    if (end == std::string::npos) {
        if (s.line.size() >= REQUEST_BYTES_MAX || !Read(s)) {
            PlatformTrace("a request that never came whole refused");
            Drop(s);
        }
        return;
    }
    s.line.erase(end);
    DWORD written = 0;
    OVERLAPPED write = {};
    write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const bool answer = InstanceHear(s.line, handler);
    if (answer && (WriteFile(s.pipe, "ok\n", 3, &written, &write) || GetLastError() == ERROR_IO_PENDING))
        WaitForSingleObject(write.hEvent, ANSWER_MS);
    CloseHandle(write.hEvent);
    if (!answer) return Drop(s);
    s.state = Slot::Answered;  // until the peer hangs up, or its time is up
    if (!Read(s)) Drop(s);
}

void Serve(InstanceHandler handler) {
    Slot slots[PEERS_MAX];
    HANDLE events[PEERS_MAX + 1];
    for (int i = 0; i < PEERS_MAX; ++i) {
        slots[i].pipe = i == 0 ? First : NewInstance(false);
        slots[i].event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        events[i] = slots[i].event;
        if (slots[i].pipe != INVALID_HANDLE_VALUE) Listen(slots[i]);
    }
    First = INVALID_HANDLE_VALUE;
    events[PEERS_MAX] = Stop;
    for (;;) {
        ULONGLONG now = GetTickCount64(), next = now + 60000;
        for (Slot& s : slots)
            if (s.state != Slot::Connecting && s.deadline < next) next = s.deadline;
        const DWORD wait = next > now ? static_cast<DWORD>(next - now) : 0;
        const DWORD woke = WaitForMultipleObjects(PEERS_MAX + 1, events, FALSE, wait);
        if (woke == WAIT_OBJECT_0 + PEERS_MAX || woke == WAIT_FAILED) break;
        if (woke < WAIT_OBJECT_0 + PEERS_MAX && slots[woke - WAIT_OBJECT_0].pipe != INVALID_HANDLE_VALUE)
            Step(slots[woke - WAIT_OBJECT_0], handler);
        now = GetTickCount64();
        for (Slot& s : slots)
            if (s.pipe != INVALID_HANDLE_VALUE && s.state != Slot::Connecting && now >= s.deadline) {
                if (s.state == Slot::Reading) PlatformTrace("a request that never came whole refused");
                Drop(s);
            }
    }
    for (Slot& s : slots) {
        if (s.pipe != INVALID_HANDLE_VALUE) {
            CancelIo(s.pipe);
            CloseHandle(s.pipe);
        }
        CloseHandle(s.event);
    }
}

// How the copy that holds the pipe took a request: answered "ok" within a
// second, did not, or is a process of another user, which is told nothing.
enum class Reply { Ok, None, Stranger };

Reply Send(const std::string& line) {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 2 && pipe == INVALID_HANDLE_VALUE; ++tries) {
        pipe = CreateFileW(PipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeW(PipeName.c_str(), ANSWER_MS);
        else if (pipe == INVALID_HANDLE_VALUE && GetLastError() != ERROR_PIPE_BUSY) return Reply::None;
    }
    if (pipe == INVALID_HANDLE_VALUE) return Reply::None;
    ULONG holder = 0;
    if (!GetNamedPipeServerProcessId(pipe, &holder) || UserOfProcess(holder) != OwnUser()) {
        CloseHandle(pipe);
        return Reply::Stranger;
    }
    // The copy that is asked to come to the front may take it from this one.
    AllowSetForegroundWindow(holder);
    const std::string message = line + "\n";
    OVERLAPPED io = {};
    io.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD n = 0;
    std::string answer;
    const ULONGLONG deadline = GetTickCount64() + ANSWER_MS;
    bool ok = (WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &n, &io) ||
               GetLastError() == ERROR_IO_PENDING) &&
              WaitForSingleObject(io.hEvent, ANSWER_MS) == WAIT_OBJECT_0 && GetOverlappedResult(pipe, &io, &n, FALSE);
    char buffer[16];
    while (ok && answer.find('\n') == std::string::npos && answer.size() < sizeof buffer) {
        ResetEvent(io.hEvent);
        const ULONGLONG now = GetTickCount64();
        ok = now < deadline && (ReadFile(pipe, buffer, sizeof buffer, &n, &io) || GetLastError() == ERROR_IO_PENDING) &&
             WaitForSingleObject(io.hEvent, static_cast<DWORD>(deadline - now)) == WAIT_OBJECT_0 &&
             GetOverlappedResult(pipe, &io, &n, FALSE);
        if (ok) answer.append(buffer, n);
    }
    if (!ok) CancelIo(pipe);
    CloseHandle(io.hEvent);
    CloseHandle(pipe);
    return ok && answer == "ok\n" ? Reply::Ok : Reply::None;
}

}  // namespace

std::string InstanceSocketName(const std::string& name) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a of the instance name
    for (unsigned char ch : name) hash = (hash ^ ch) * 1099511628211ull;
    wchar_t hex[17];
    std::swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(hash));
    return Narrow((L"\\\\.\\pipe\\vantaro-" + OwnUser() + L"-" + hex).c_str());
}

bool InstanceClaim(const std::string& name, InstanceHandler handler) {
    PipeName = Wide(InstanceSocketName(name).c_str());
    // Whether a pipe of the name is there is asked first: Wine lets a second
    // process make a first instance all the same.
    const bool named = WaitNamedPipeW(PipeName.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND;
    First = named ? INVALID_HANDLE_VALUE : NewInstance(true);
    if (First == INVALID_HANDLE_VALUE) {
        if (!named && GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_PIPE_BUSY) return true;
        switch (Send("ping")) {
            case Reply::Ok: OtherCopy = true; return false;
            case Reply::Stranger:
                PlatformWarn("a process of another user holds the single-copy pipe of this data folder; starting alone");
                return true;
            case Reply::None: break;
        }
        PlatformWarn("another copy holds this data folder but does not answer; starting anyway");
        return true;
    }
    Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PlatformTrace("single copy: listening on %s", Narrow(PipeName.c_str()).c_str());
    ListenThread = std::thread(Serve, handler);
    return true;
}

bool InstanceOtherCopyRunning() { return OtherCopy; }

bool InstanceSend(const std::string& line) { return OtherCopy && Send(line) == Reply::Ok; }

void InstanceRelease() {
    if (ListenThread.joinable()) {
        SetEvent(Stop);
        ListenThread.join();
    }
    if (First != INVALID_HANDLE_VALUE) CloseHandle(First);
    First = INVALID_HANDLE_VALUE;
    if (Stop) CloseHandle(Stop);
    Stop = nullptr;
    OtherCopy = false;
}

}  // namespace platform
