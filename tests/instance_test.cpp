// The single-instance socket, played by hostile and friendly peers in other
// processes: only the hand-over of a copy of the same user is carried out,
// and no peer keeps the game from starting or from closing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/instance.h"
#include "tests/support.h"

namespace {

using platform::InstanceClaim;
using platform::InstanceRelease;
using platform::InstanceSocketName;

std::mutex HeardLock;
std::vector<std::string> Heard;

void Hear(const std::string& request) {
    std::lock_guard<std::mutex> lock(HeardLock);
    Heard.push_back(request);
}

int Connect(const std::string& abstractName) {
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, abstractName.data(), abstractName.size());
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + abstractName.size());
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// Sends bytes to the copy holding name from a process of its own (as user
// nobody with asNobody) and returns what came back before the copy hung up.
std::string Ask(const std::string& name, const std::string& bytes, bool asNobody) {
    const std::string address = InstanceSocketName(name);
    int answer[2];
    if (pipe(answer) != 0) return "?";
    const pid_t child = fork();
    if (child == 0) {
        close(answer[0]);
        if (asNobody && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
        const int s = Connect(address);
        if (s < 0) _exit(1);
        timeval timeout = {5, 0};
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buffer[64];
        const ssize_t got = recv(s, buffer, sizeof buffer, 0);
        if (got > 0 && write(answer[1], buffer, static_cast<size_t>(got)) != got) _exit(1);
        _exit(0);
    }
    close(answer[1]);
    std::string got;
    char buffer[64];
    for (ssize_t n; (n = read(answer[0], buffer, sizeof buffer)) > 0;) got.append(buffer, static_cast<size_t>(n));
    close(answer[0]);
    waitpid(child, nullptr, 0);
    return got;
}

TEST(SingleInstance, OnlyTheHandOverOfTheSameUserIsCarriedOut) {
    const std::string name = MakeTempFolder();
    ASSERT_TRUE(InstanceClaim(name, Hear));
    struct Case {
        const char* what;
        std::string bytes;
        bool asNobody;
        bool carried;
    };
    const Case cases[] = {
        {"a second copy's raise", "raise\tFIRSTGX\tVantaro\n", false, true},
        {"its request to present", "post\t1124\t0\t0\tFIRSTGX\tVantaro\n", false, true},
        {"a command (RANDOM)", "post\t273\t15\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a creation message", "post\t1\t0\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a close", "post\t16\t0\t0\tFIRSTGX\tVantaro\n", false, false},
        {"a present with parameters", "post\t1124\t1\t0\tFIRSTGX\tVantaro\n", false, false},
        {"an endless line", std::string(100000, 'x'), false, false},
        {"another user's raise", "raise\tFIRSTGX\tVantaro\n", true, false},
    };
    for (const Case& c : cases) {
        if (c.asNobody && getuid() != 0) continue;  // only root can play another user
        {
            std::lock_guard<std::mutex> lock(HeardLock);
            Heard.clear();
        }
        const std::string answer = Ask(name, c.bytes, c.asNobody);
        std::lock_guard<std::mutex> lock(HeardLock);
        EXPECT_EQ(answer, c.carried ? "ok\n" : "") << c.what;
        EXPECT_EQ(Heard.size(), c.carried ? 1u : 0u) << c.what;
    }
    InstanceRelease();
}

// A peer that trickles a byte now and then is dropped after a second, and
// closing never waits for it.
TEST(SingleInstance, ClosingNeverWaitsOnAPeer) {
    const std::string name = MakeTempFolder();
    ASSERT_TRUE(InstanceClaim(name, Hear));
    const pid_t trickler = fork();
    if (trickler == 0) {
        const int s = Connect(InstanceSocketName(name));
        for (int i = 0; i < 600 && s >= 0; ++i) {
            send(s, "r", 1, MSG_NOSIGNAL);
            usleep(100000);
        }
        _exit(0);
    }
    usleep(300000);
    const auto start = std::chrono::steady_clock::now();
    InstanceRelease();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kill(trickler, SIGKILL);
    waitpid(trickler, nullptr, 0);
    EXPECT_LT(seconds, 2.0);
}

// A second copy hands over to a first that answers; a name held by a process
// that never answers (hung, stopped) does not keep a new game from starting.
TEST(SingleInstance, ASecondCopyHandsOverOnlyToAFirstThatAnswers) {
    const std::string name = MakeTempFolder();
    int claimed[2];
    ASSERT_EQ(pipe(claimed), 0);
    const pid_t first = fork();
    if (first == 0) {
        const char yes = InstanceClaim(name, Hear) ? 1 : 0;
        [[maybe_unused]] const ssize_t n = write(claimed[1], &yes, 1);
        pause();
        _exit(0);
    }
    char yes = 0;
    ASSERT_EQ(read(claimed[0], &yes, 1), 1);
    ASSERT_EQ(yes, 1);
    EXPECT_FALSE(InstanceClaim(name, Hear));
    EXPECT_TRUE(platform::InstanceOtherCopyRunning());
    EXPECT_TRUE(platform::InstanceSendRaise(L"FIRSTGX", L"Vantaro"));
    InstanceRelease();

    kill(first, SIGSTOP);  // still holds the name, answers nothing
    int status;
    ASSERT_EQ(waitpid(first, &status, WUNTRACED), first);
    EXPECT_TRUE(InstanceClaim(name, Hear));
    EXPECT_FALSE(platform::InstanceOtherCopyRunning());
    InstanceRelease();
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
}

}  // namespace
