/* Another process on the machine, against the game's single-copy socket,
 * the abstract Unix socket NAME (without its leading NUL):
 *   unix_peer squat NAME    claims NAME first, and answers each line that
 *                           comes with "ok", as a copy of the game would;
 *   unix_peer hold NAME N   opens N connections to NAME and sends nothing.
 * Either prints "ready" once in place, then stays until it is killed. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static socklen_t Address(const char* name, struct sockaddr_un* address) {
    memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    size_t n = strlen(name);
    if (n > sizeof address->sun_path - 1) n = sizeof address->sun_path - 1;
    memcpy(address->sun_path + 1, name, n); /* leading NUL: abstract namespace */
    return (socklen_t)(offsetof(struct sockaddr_un, sun_path) + 1 + n);
}

static void Ready(void) {
    puts("ready");
    fflush(stdout);
}

/* Reads up to the end of a line, or of what the peer sends. */
static void SkipLine(int peer) {
    char ch;
    while (recv(peer, &ch, 1, 0) == 1 && ch != '\n') {
    }
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    struct sockaddr_un address;
    const socklen_t length = Address(argv[2], &address);
    if (argc == 3 && strcmp(argv[1], "squat") == 0) {
        const int s = socket(AF_UNIX, SOCK_STREAM, 0);
        if (s < 0 || bind(s, (struct sockaddr*)&address, length) != 0 || listen(s, 8) != 0) {
            perror("unix_peer squat");
            return 1;
        }
        Ready();
        for (;;) {
            const int peer = accept(s, NULL, NULL);
            if (peer < 0) continue;
            SkipLine(peer);
            send(peer, "ok\n", 3, MSG_NOSIGNAL);
            close(peer);
        }
    }
    if (argc == 4 && strcmp(argv[1], "hold") == 0) {
        for (int i = atoi(argv[3]); i > 0; --i) {
            const int s = socket(AF_UNIX, SOCK_STREAM, 0);
            if (s < 0 || connect(s, (struct sockaddr*)&address, length) != 0) {
                perror("unix_peer hold");
                return 1;
            }
        }
        Ready();
        for (;;) pause();
    }
    return 2;
}
