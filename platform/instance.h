// One running copy per user and data folder.
//
// The first copy claims a name (an abstract Unix socket, which the kernel
// frees when the process ends, so a crashed copy never blocks a new start)
// and listens on it. A later copy finds the name taken; what it asks of the
// first copy (come to the front, take a message) travels over the socket as
// one line of text, and reaches the first copy's handler on a thread of the
// listener's own.
#pragma once
#include <string>

#include "platform/win.h"

namespace platform {

using InstanceHandler = void (*)(const std::string& request);

// Claims name; false when another copy holds it. Errors of the socket layer
// count as a claim: a copy that cannot tell runs alone.
bool InstanceClaim(const std::string& name, InstanceHandler handler);
bool InstanceOtherCopyRunning();
bool InstanceSendRaise(const std::wstring& className, const std::wstring& title);
bool InstanceSendPost(const std::wstring& className, const std::wstring& title, UINT message, WPARAM wParam,
                      LPARAM lParam);
// Carries out a request line in this copy: raise or post to its own window.
void InstanceCarryOut(const std::string& request);
void InstanceRelease();

}  // namespace platform
