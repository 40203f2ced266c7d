#include "platform/instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/internal.h"

namespace platform {

namespace {

int Listener = -1;
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

std::string AbstractName(const std::string& name) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a of the instance name
    for (unsigned char ch : name) hash = (hash ^ ch) * 1099511628211ull;
    std::ostringstream out;
    out << "vantaro-" << getuid() << "-" << std::hex << hash;
    return out.str();
}

void Listen(InstanceHandler handler) {
    for (;;) {
        const int peer = accept(Listener, nullptr, nullptr);
        if (peer < 0) {
            if (errno == EINTR) continue;
            return;  // the listener was shut down
        }
        timeval timeout = {1, 0};
        setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        char buffer[512];
        ssize_t got;
        while (request.size() < 4096 && (got = read(peer, buffer, sizeof buffer)) > 0) request.append(buffer, got);
        close(peer);
        const size_t end = request.find('\n');
        if (end != std::string::npos) handler(request.substr(0, end));
    }
}

bool Send(const std::string& line) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    socklen_t length;
    const sockaddr_un address = Address(ClaimedAddress, &length);
    bool ok = connect(s, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    const std::string message = line + "\n";
    ok = ok && write(s, message.data(), message.size()) == static_cast<ssize_t>(message.size());
    close(s);
    return ok;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

}  // namespace

bool InstanceClaim(const std::string& name, InstanceHandler handler) {
    ClaimedAddress = AbstractName(name);
    Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Listener < 0) return true;
    socklen_t length;
    const sockaddr_un address = Address(ClaimedAddress, &length);
    if (bind(Listener, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const bool taken = errno == EADDRINUSE;
        close(Listener);
        Listener = -1;
        OtherCopy = taken;
        return !taken;
    }
    if (listen(Listener, 4) != 0) {
        close(Listener);
        Listener = -1;
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
    PlatformTrace("another copy asks: %s", f.empty() ? "" : (f[0] + (f.size() > 1 ? " " + f[1] : "")).c_str());
    if (f.size() == 3 && f[0] == "raise") {
        RaiseFromOtherCopy(Wide(f[1].c_str()), Wide(f[2].c_str()));
    } else if (f.size() == 6 && f[0] == "post") {
        char* end = nullptr;
        const unsigned long message = std::strtoul(f[1].c_str(), &end, 10);
        const unsigned long long wParam = std::strtoull(f[2].c_str(), &end, 10);
        const long long lParam = std::strtoll(f[3].c_str(), &end, 10);
        PostFromOtherCopy(Wide(f[4].c_str()), Wide(f[5].c_str()), static_cast<UINT>(message),
                          static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }
}

void InstanceRelease() {
    if (Listener >= 0) {
        shutdown(Listener, SHUT_RDWR);
        if (ListenThread.joinable()) ListenThread.join();
        close(Listener);
        Listener = -1;
    }
    OtherCopy = false;
}

}  // namespace platform
