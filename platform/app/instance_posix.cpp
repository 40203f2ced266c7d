// One running copy per user and data folder on POSIX: an abstract Unix
// socket, heard by a thread of its own.
#include "platform/app/instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
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

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// A request is one short line; a peer gets this long to send it, and a
// second copy waits this long for its answer. The listener serves this many
// peers at a time, each on its own time, so that no peer holds up another.
constexpr size_t REQUEST_BYTES_MAX = 512;
constexpr auto ANSWER_TIME = std::chrono::seconds(1);
constexpr size_t PEERS_MAX = 8;

int Listener = -1;
int StopPipe[2] = {-1, -1};  // written once to end the listener's thread
bool OtherCopy = false;
std::string ClaimedAddress;
std::thread ListenThread;

// A peer of the listener: what it has sent of its line so far, and until
// when it may send the rest.
struct Peer {
    int fd = -1;
    Clock::time_point deadline;
    std::string line;
};

sockaddr_un Address(const std::string& abstractName, socklen_t* length) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const size_t n = std::min(abstractName.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, abstractName.data(), n);  // leading NUL: abstract namespace
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
    return address;
}

// Whether the process at the other end of a connected socket (for a
// connecting one: the process that listens) is of this user; its user in
// *uid either way.
bool SameUser(int fd, uid_t* uid) {
    ucred cred = {};
    socklen_t length = sizeof cred;
    const bool known = getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0;
    *uid = cred.uid;
    return known && cred.uid == getuid();
}

// Milliseconds from now to a deadline, rounded up, for poll; 0 once past.
int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// What a socket holds of a line, taken without waiting onto *line.
enum class Got { Line, More, Nothing };  // Nothing: closed, failed or too long

Got TakeLine(int fd, std::string* line) {
    char buffer[REQUEST_BYTES_MAX];
    while (line->size() < REQUEST_BYTES_MAX) {
        const ssize_t got = recv(fd, buffer, REQUEST_BYTES_MAX - line->size(), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Got::More;
        if (got <= 0) return Got::Nothing;
        line->append(buffer, static_cast<size_t>(got));
        const size_t end = line->find('\n');
        if (end != std::string::npos) {
            line->erase(end);
            return Got::Line;
        }
    }
    return Got::Nothing;
}

// One line (without its newline) read from a socket before the deadline.
bool ReadLine(int fd, Clock::time_point deadline, std::string* line) {
    line->clear();
    for (;;) {
        pollfd readable = {fd, POLLIN, 0};
        const int timeout = MsUntil(deadline);
        const int n = timeout > 0 ? poll(&readable, 1, timeout) : 0;
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        const Got got = TakeLine(fd, line);
        if (got != Got::More) return got == Got::Line;
    }
}

void Answer(int peer, const std::string& line, InstanceHandler handler) {
    if (InstanceHear(line, handler)) send(peer, "ok\n", 3, MSG_DONTWAIT | MSG_NOSIGNAL);
}

void Drop(std::vector<Peer>* peers, size_t i) {
    close((*peers)[i].fd);
    peers->erase(peers->begin() + static_cast<std::ptrdiff_t>(i));
}

// A peer that sent no whole line in its time, or more than a line's worth.
void Refuse(std::vector<Peer>* peers, size_t i) {
    PlatformTrace("a request that never came whole refused");
    Drop(peers, i);
}

// Takes what peer i has sent: a whole line is answered and the peer let
// go, as is one that hung up or sent too much; any other waits on.
void Hear(std::vector<Peer>* peers, size_t i, InstanceHandler handler) {
    Peer& peer = (*peers)[i];
    const Got got = TakeLine(peer.fd, &peer.line);
    if (got == Got::More) return;
    if (got != Got::Line) {
        Refuse(peers, i);
        return;
    }
    Answer(peer.fd, peer.line, handler);
    Drop(peers, i);
}

// Takes every connection waiting, and what each has sent already. A peer
// of another user is hung up on at once; with PEERS_MAX peers already
// waiting, the one that came first makes room, as it has had the longest
// to send its line.
void AcceptAll(std::vector<Peer>* peers, InstanceHandler handler) {
    for (;;) {
        const int fd = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED)) continue;
        if (fd < 0) return;
        uid_t uid;
        if (!SameUser(fd, &uid)) {
            PlatformTrace("a request from user %u refused", static_cast<unsigned>(uid));
            close(fd);
            continue;
        }
        if (peers->size() == PEERS_MAX) Refuse(peers, 0);
        peers->push_back({fd, Clock::now() + ANSWER_TIME, {}});
        Hear(peers, peers->size() - 1, handler);
    }
}

// Serves the peers of the name until the stop pipe is written: a peer's
// whole line is answered as soon as it is in, and a peer that has not sent
// one within its second is dropped unanswered.
void Listen(InstanceHandler handler) {
    std::vector<Peer> peers;  // in the order they came, so the first has the earliest deadline
    std::vector<pollfd> fds;
    for (;;) {
        while (!peers.empty() && peers.front().deadline <= Clock::now()) Refuse(&peers, 0);
        fds = {{StopPipe[0], POLLIN, 0}, {Listener, POLLIN, 0}};
        for (const Peer& peer : peers) fds.push_back({peer.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), peers.empty() ? -1 : MsUntil(peers.front().deadline)) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        for (size_t i = peers.size(); i-- > 0;)  // from the last, which Drop leaves the others' places to
            if (fds[2 + i].revents) Hear(&peers, i, handler);
        if (fds[1].revents) AcceptAll(&peers, handler);
    }
    while (!peers.empty()) Drop(&peers, 0);
}

// How the copy that holds the name took a request: answered "ok" within a
// second, did not, or is a process of another user, which is no copy of
// this game's (anyone may claim a name in the abstract namespace) and is
// told nothing.
enum class Reply { Ok, None, Stranger };

Reply Send(const std::string& line, uid_t* holder) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0) return Reply::None;
    socklen_t length;
    const sockaddr_un address = Address(ClaimedAddress, &length);
    const std::string message = line + "\n";
    std::string answer;
    Reply reply = Reply::None;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        if (!SameUser(s, holder)) reply = Reply::Stranger;
        else if (send(s, message.data(), message.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(message.size()) &&
                 ReadLine(s, Clock::now() + ANSWER_TIME, &answer) && answer == "ok")
            reply = Reply::Ok;
    }
    close(s);
    return reply;
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
        uid_t holder = 0;
        switch (Send("ping", &holder)) {
            case Reply::Ok: OtherCopy = true; return false;
            case Reply::Stranger:
                PlatformWarn("a process of another user (%u) holds the single-copy socket of this data folder; "
                             "starting alone",
                             static_cast<unsigned>(holder));
                return true;
            case Reply::None: break;
        }
        PlatformWarn("another copy holds this data folder but does not answer; starting anyway");
        return true;
    }
    if (listen(Listener, 8) != 0 || pipe2(StopPipe, O_CLOEXEC) != 0) {
        CloseListener();
        return true;
    }
    PlatformTrace("single copy: listening on @%s", ClaimedAddress.c_str());
    ListenThread = std::thread(Listen, handler);
    return true;
}

bool InstanceOtherCopyRunning() { return OtherCopy; }

bool InstanceSend(const std::string& line) {
    uid_t holder;
    return OtherCopy && Send(line, &holder) == Reply::Ok;
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
