#include "platform/app/instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/winapi/core.h"
#include "platform/os/text.h"
#include "platform/os/folders.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The one message another copy may post: the game's WM_PRESENT, which asks
// for the frame again, with both parameters 0.
constexpr UINT HANDOVER_MESSAGE = WM_USER + 100;
// A request is one short line; a peer gets this long to send it, and a
// second copy waits this long for its answer.
constexpr size_t REQUEST_BYTES_MAX = 512;
constexpr auto ANSWER_TIME = std::chrono::seconds(1);

int Listener = -1;
int StopPipe[2] = {-1, -1};  // written once to end the listener's thread
bool OtherCopy = false;
std::string ClaimedAddress;
std::thread ListenThread;

sockaddr_un Address(const std::string& abstractName, socklen_t* length) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const size_t n = std::min(abstractName.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, abstractName.data(), n);  // leading NUL: abstract namespace
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
    return address;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

// What another copy may ask: "ping" (are you there?), "raise CLASS TITLE"
// and "post MESSAGE WPARAM LPARAM CLASS TITLE" with the hand-over message,
// fields separated by tabs. Anything else is no request.
enum class Ask { None, Ping, Raise, Present };

Ask Parse(const std::vector<std::string>& f) {
    if (f.size() == 1 && f[0] == "ping") return Ask::Ping;
    if (f.size() == 3 && f[0] == "raise") return Ask::Raise;
    if (f.size() == 6 && f[0] == "post" && f[1] == std::to_string(HANDOVER_MESSAGE) && f[2] == "0" && f[3] == "0")
        return Ask::Present;
    return Ask::None;
}

// Waits for fd to become readable until the deadline, or until stopFd (if
// any) is written; true when fd is readable.
bool WaitReadable(int fd, Clock::time_point deadline, int stopFd) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int n = poll(fds, stopFd >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || (stopFd >= 0 && fds[1].revents)) return false;
        return true;
    }
}

// One line (without its newline) read from a socket before the deadline,
// at most REQUEST_BYTES_MAX bytes of it.
bool ReadLine(int fd, Clock::time_point deadline, int stopFd, std::string* line) {
    line->clear();
    char buffer[REQUEST_BYTES_MAX];
    while (line->size() < REQUEST_BYTES_MAX) {
        if (!WaitReadable(fd, deadline, stopFd)) return false;
        const ssize_t got = recv(fd, buffer, REQUEST_BYTES_MAX - line->size(), MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        line->append(buffer, static_cast<size_t>(got));
        const size_t end = line->find('\n');
        if (end != std::string::npos) {
            line->erase(end);
            return true;
        }
    }
    return false;
}

void Serve(int peer, InstanceHandler handler) {
    ucred cred = {};
    socklen_t length = sizeof cred;
    if (getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 || cred.uid != getuid()) {
        PlatformTrace("a request from user %u refused", static_cast<unsigned>(cred.uid));
        return;
    }
    std::string line;
    if (!ReadLine(peer, Clock::now() + ANSWER_TIME, StopPipe[0], &line)) {
        PlatformTrace("a request that never came whole refused");
        return;
    }
    const Ask ask = Parse(Fields(line));
    if (ask == Ask::None) {
        PlatformTrace("a request that is no hand-over refused");
        return;
    }
    if (ask != Ask::Ping) handler(line);
    send(peer, "ok\n", 3, MSG_DONTWAIT | MSG_NOSIGNAL);
}

void Listen(InstanceHandler handler) {
    for (;;) {
        pollfd fds[2] = {{Listener, POLLIN, 0}, {StopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        const int peer = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0) continue;
        Serve(peer, handler);
        close(peer);
    }
}

// Sends one request line to the copy that holds the name; true when it
// answered "ok" within a second.
bool Send(const std::string& line) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return false;
    socklen_t length;
    const sockaddr_un address = Address(ClaimedAddress, &length);
    const std::string message = line + "\n";
    std::string answer;
    const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
                    send(s, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size()) &&
                    ReadLine(s, Clock::now() + ANSWER_TIME, -1, &answer) && answer == "ok";
    close(s);
    return ok;
}

void CloseListener() {
    if (Listener >= 0) close(Listener);
    for (int& fd : StopPipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    Listener = -1;
}

}  // namespace

std::string InstanceSocketName(const std::string& name) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a of the instance name
    for (unsigned char ch : name) hash = (hash ^ ch) * 1099511628211ull;
    std::ostringstream out;
    out << "vantaro-" << getuid() << "-" << std::hex << hash;
    return out.str();
}

std::string InstanceNameOfDataFolder() {
    std::string name = PlatformDataFolder();
    PlatformMakeDataFolder(nullptr);  // a folder that cannot be made is named as given
    if (char* real = realpath(name.c_str(), nullptr)) {
        name = real;
        std::free(real);
    }
    return name;
}

bool InstanceClaim(const std::string& name, InstanceHandler handler) {
    ClaimedAddress = InstanceSocketName(name);
    Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (Listener < 0) return true;
    socklen_t length;
    const sockaddr_un address = Address(ClaimedAddress, &length);
    if (bind(Listener, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const bool taken = errno == EADDRINUSE;
        CloseListener();
        if (!taken) return true;
        if (Send("ping")) {
            OtherCopy = true;
            return false;
        }
        PlatformWarn("another copy holds this data folder but does not answer; starting anyway");
        return true;
    }
    if (listen(Listener, 8) != 0 || pipe2(StopPipe, O_CLOEXEC) != 0) {
        CloseListener();
        return true;
    }
    ListenThread = std::thread(Listen, handler);
    return true;
}

bool InstanceOtherCopyRunning() { return OtherCopy; }

bool InstanceSendRaise(const std::wstring& className, const std::wstring& title) {
    return OtherCopy && Send("raise\t" + Narrow(className.c_str()) + "\t" + Narrow(title.c_str()));
}

bool InstanceSendPost(const std::wstring& className, const std::wstring& title, UINT message, WPARAM wParam,
                      LPARAM lParam) {
    std::ostringstream line;
    line << "post\t" << message << "\t" << wParam << "\t" << lParam << "\t" << Narrow(className.c_str()) << "\t"
         << Narrow(title.c_str());
    return OtherCopy && Send(line.str());
}

void InstanceCarryOut(const std::string& request) {
    const std::vector<std::string> f = Fields(request);
    const Ask ask = Parse(f);
    if (ask == Ask::Raise) {
        PlatformTrace("another copy asks: raise");
        RaiseFromOtherCopy(Wide(f[1].c_str()), Wide(f[2].c_str()));
    } else if (ask == Ask::Present) {
        PlatformTrace("another copy asks: post %u", HANDOVER_MESSAGE);
        PostFromOtherCopy(Wide(f[4].c_str()), Wide(f[5].c_str()), HANDOVER_MESSAGE, 0, 0);
    }
}

void InstanceRelease() {
    if (ListenThread.joinable()) {
        const char stop = 1;
        while (write(StopPipe[1], &stop, 1) < 0 && errno == EINTR) {
        }
        ListenThread.join();
    }
    CloseListener();
    OtherCopy = false;
}

}  // namespace platform
