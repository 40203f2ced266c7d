// One running copy per user and data folder: what copies ask one another,
// whatever carries it (instance_posix.cpp, instance_windows.cpp).
#include "platform/app/instance.h"

#include <sstream>
#include <vector>

#include "platform/os/files.h"
#include "platform/os/folders.h"
#include "platform/os/text.h"
#include "platform/winapi/core.h"

namespace platform {

namespace {

// The one message another copy may post: the game's WM_PRESENT, which asks
// for the frame again, with both parameters 0.
constexpr UINT HANDOVER_MESSAGE = WM_USER + 100;

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

}  // namespace

std::string InstanceNameOfDataFolder() {
    std::string name = PlatformDataFolder();
    PlatformMakeDataFolder(nullptr);  // a folder that cannot be made is named as given
    const std::string real = PlatformRealPath(name);
    return real.empty() ? name : real;
}

bool InstanceHear(const std::string& line, InstanceHandler handler) {
    const Ask ask = Parse(Fields(line));
    if (ask == Ask::None) {
        PlatformTrace("a request that is no hand-over refused");
        return false;
    }
    if (ask != Ask::Ping) handler(line);
    return true;
}

bool InstanceSendRaise(const std::wstring& className, const std::wstring& title) {
    return InstanceSend("raise\t" + Narrow(className.c_str()) + "\t" + Narrow(title.c_str()));
}

bool InstanceSendPost(const std::wstring& className, const std::wstring& title, uint32_t message, uintptr_t wParam,
                      intptr_t lParam) {
    std::ostringstream line;
    line << "post\t" << message << "\t" << wParam << "\t" << lParam << "\t" << Narrow(className.c_str()) << "\t"
         << Narrow(title.c_str());
    return InstanceSend(line.str());
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

}  // namespace platform
