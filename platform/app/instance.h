// One running copy per user and data folder.
//
// The first copy claims a name (an abstract Unix socket, which the kernel
// frees when the process ends, so a crashed copy never blocks a new start)
// and listens on it. A later copy finds the name taken and hands over: it
// asks the first copy to come to the front and to present its frame again,
// each request one line of text that the first copy answers "ok".
//
// An abstract socket has no file permissions, so anyone on the machine can
// connect, or claim the name first. The listener therefore hears only a
// peer of its own user (SO_PEERCRED), reads at most one short line from it
// within a second, and carries out only the hand-over itself; anything else
// is dropped unanswered. It serves a few peers at once, each on its own
// time, so that idle peers never keep a second copy from its answer.
// Likewise a second copy hands over only to a holder of its own user: a
// name held by another user's process is no copy of this game, and the
// second copy then plays alone. Requests reach the first copy's handler on
// the listener's own thread, which the backend hands them on from to the
// window thread.
#pragma once
#include <string>

#include <cstdint>

namespace platform {

using InstanceHandler = void (*)(const std::string& request);

// The name copies on this data folder share: its canonical path, after
// creating it, so that "DIR/", a symbolic link to DIR or a relative name
// all name the one folder.
std::string InstanceNameOfDataFolder();
// Claims name; false when another copy holds it and answers. A copy that
// holds the name but does not answer within a second (a hung or stopped
// process), or a process of another user that holds it, is no reason not to
// play: this copy then runs alone, saying why on stderr, and so does one
// that cannot tell because the socket layer fails.
bool InstanceClaim(const std::string& name, InstanceHandler handler);
bool InstanceOtherCopyRunning();
// One request line to the copy that holds the name; true when it answered
// "ok" within a second.
bool InstanceSend(const std::string& line);
// What the holder does with a request line of another copy's: a hand-over
// goes to handler and is answered (true); anything else is not (false).
bool InstanceHear(const std::string& line, InstanceHandler handler);
// The hand-over, as the second copy sends it; true when the first copy
// took it.
bool InstanceSendRaise(const std::wstring& className, const std::wstring& title);
bool InstanceSendPost(const std::wstring& className, const std::wstring& title, uint32_t message, uintptr_t wParam,
                      intptr_t lParam);
// Carries out a request line in this copy: raise or post to its own window.
void InstanceCarryOut(const std::string& request);
// Stops listening and frees the name; never waits on a peer.
void InstanceRelease();

// Where a name is claimed: the abstract socket address (without its leading
// NUL), on Windows the named pipe's name; for tests that play the peer.
std::string InstanceSocketName(const std::string& name);

}  // namespace platform
