// Window classes, windows, focus and activation, painting, resources of the
// program, message boxes and the modal dialog.
#include <algorithm>
#include <cstring>
#include <cwctype>

#include "platform/winapi/core_state.h"
#include "platform/app/instance.h"
#include "platform/winapi/kernel.h"
#include "resources/resources.h"
#include "platform/os/text.h"

namespace platform {

CoreState& Core() {
    static CoreState state;
    return state;
}

bool IsLive(HWND hwnd) {
    if (!hwnd) return false;
    for (const auto& w : Core().windows)
        if (w.get() == hwnd) return w->alive;
    return false;
}

const WNDCLASSW* FindClass(const std::wstring& name) {
    CoreState& c = Core();
    for (size_t i = 0; i < c.classes.size(); ++i)
        if (c.classes[i] == name) return &c.classInfo[i];
    return nullptr;
}

HWND MainWindow() {
    for (const auto& w : Core().windows)
        if (w->alive && !w->dialog) return w.get();
    return nullptr;
}

// Activation that the program itself causes (showing or raising its window)
// reaches the window procedure at once; activation that the window system
// reports waits for the next look at the queue.
static void Send(bool now, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (now) SendMessageW(hwnd, message, wParam, lParam);
    else Core().sent.push_back({hwnd, message, wParam, lParam});
}

void SetActive(bool active, bool now) {
    CoreState& c = Core();
    HWND main = MainWindow();
    if (!main || active == c.active) return;
    c.active = active;
    if (active) {
        c.foreground = main;
        c.focus = main;
        Send(now, main, WM_ACTIVATE, WA_ACTIVE, 0);
        Send(now, main, WM_SETFOCUS, 0, 0);
    } else {
        c.foreground = nullptr;
        c.focus = nullptr;
        // The button may come up over another window, unseen: a stylus held
        // as the focus goes counts as lifted, so nothing waits for it.
        c.stylusDown = false;
        Send(now, main, WM_ACTIVATE, WA_INACTIVE, 0);
        Send(now, main, WM_KILLFOCUS, 0, 0);
    }
}


void InvalidateMain() {
    if (HWND main = MainWindow()) main->invalid = true;
}

static bool SameText(const std::wstring& a, const std::wstring& b) { return a == b; }

static HWND FindOwnWindow(const std::wstring& className, const std::wstring& title) {
    for (const auto& w : Core().windows)
        if (w->alive && !w->remote && SameText(w->className, className) && SameText(w->title, title))
            return w.get();
    return nullptr;
}

void PostFromOtherCopy(const std::wstring& className, const std::wstring& title, UINT message, WPARAM wParam,
                       LPARAM lParam) {
    if (HWND hwnd = FindOwnWindow(className, title)) PostMessageW(hwnd, message, wParam, lParam);
}

// Comes in while the game may be anywhere (a delay, a fade, a present), so
// the activation waits in the queue of sent messages for the game's next
// look at its messages.
void RaiseFromOtherCopy(const std::wstring& className, const std::wstring& title) {
    HWND hwnd = FindOwnWindow(className, title);
    if (!hwnd) return;
    Core().foreground = hwnd;
    if (!hwnd->dialog) {
        SetActive(true, false);
        Current().raise(hwnd);
    }
}

void ResetCore() {
    CoreState& c = Core();
    c = CoreState();
}

// Resource names and types: equal numbers, or equal strings without regard
// to case.
static bool SameName(const WCHAR* a, const WCHAR* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
    for (; *a && *b; ++a, ++b)
        if (std::towupper(*a) != std::towupper(*b)) return false;
    return *a == *b;
}

// Resources a test has made unavailable, by name.
static std::vector<std::wstring> HiddenResources;

void HideResource(const WCHAR* name, bool hidden) {
    if (!name || IS_INTRESOURCE(name)) return;
    std::erase_if(HiddenResources, [&](const std::wstring& n) { return SameName(n.c_str(), name); });
    if (hidden) HiddenResources.push_back(name);
}

const PlatformResource* FindBinaryResource(const WCHAR* type, const WCHAR* name) {
    if (!type || !name) return nullptr;
    for (const std::wstring& hidden : HiddenResources)
        if (!IS_INTRESOURCE(name) && SameName(hidden.c_str(), name)) return nullptr;
    for (size_t i = 0; i < ProgramResourceCount; ++i)
        if (SameName(ProgramResources[i].type, type) && SameName(ProgramResources[i].name, name))
            return &ProgramResources[i];
    return nullptr;
}

const PlatformString* FindString(WORD id) {
    for (size_t i = 0; i < ProgramStringCount; ++i)
        if (ProgramStrings[i].id == id) return &ProgramStrings[i];
    return nullptr;
}

const PlatformAccelTable* FindAccelTable(WORD id) {
    for (size_t i = 0; i < ProgramAccelTableCount; ++i)
        if (ProgramAccelTables[i].id == id) return &ProgramAccelTables[i];
    return nullptr;
}

const PlatformDialog* FindDialog(WORD id) {
    for (size_t i = 0; i < ProgramDialogCount; ++i)
        if (ProgramDialogs[i].id == id) return &ProgramDialogs[i];
    return nullptr;
}

}  // namespace platform

using namespace platform;

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || FindClass(wc->lpszClassName)) return 0;
    CoreState& c = Core();
    c.classes.emplace_back(wc->lpszClassName);
    c.classInfo.push_back(*wc);
    c.classInfo.back().lpszClassName = c.classes.back().c_str();
    return static_cast<ATOM>(0xC000 + c.classes.size());
}

HWND CreateWindowExW(DWORD, const WCHAR* className, const WCHAR* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
    const WNDCLASSW* wc = className ? FindClass(className) : nullptr;
    if (!wc) return nullptr;
    auto window = std::make_unique<PlatformWindow>();
    window->className = className;
    window->title = title ? title : L"";
    window->proc = wc->lpfnWndProc;
    window->extra.assign(static_cast<size_t>(std::max(0, wc->cbWndExtra)), 0);
    window->icon = wc->hIcon;
    HWND hwnd = window.get();
    Core().windows.push_back(std::move(window));

    CREATESTRUCTW create = {param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                            title, className, 0};
    if (hwnd->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        hwnd->alive = false;
        return nullptr;
    }
    if (hwnd->alive && (style & WS_VISIBLE) && !hwnd->visible) ShowWindow(hwnd, SW_SHOW);
    return hwnd->alive ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    if (!IsLive(hwnd) || hwnd->remote) return FALSE;
    CoreState& c = Core();
    std::erase_if(c.timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
    std::erase_if(c.sent, [hwnd](const SentMessage& m) { return m.hwnd == hwnd; });
    if (c.focus == hwnd) c.focus = nullptr;
    if (c.foreground == hwnd) c.foreground = nullptr;
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    hwnd->alive = false;
    hwnd->visible = false;
    if (!hwnd->dialog) {
        c.active = false;
        c.closePending = false;  // the request has been honoured
        Current().windowDestroyed(hwnd);
    }
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return IsLive(hwnd) ? TRUE : FALSE; }

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(hwnd);
    if (message == WM_KEYDOWN) ++Core().keysDefaulted;
    return 0;
}

BOOL ShowWindow(HWND hwnd, int command) {
    if (!IsLive(hwnd) || hwnd->remote) return FALSE;
    const bool wasVisible = hwnd->visible;
    const bool show = command != SW_HIDE;
    hwnd->visible = show;
    if (show) hwnd->invalid = true;
    if (show != wasVisible) Current().windowShown(hwnd, show);
    if (show && !wasVisible) SetActive(true, true);
    if (!show && wasVisible) SetActive(false, true);
    return wasVisible ? TRUE : FALSE;
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    if (!IsLive(hwnd) || index < 0 || static_cast<size_t>(index) + sizeof value > hwnd->extra.size()) return 0;
    LONG_PTR old;
    std::memcpy(&old, hwnd->extra.data() + index, sizeof old);
    std::memcpy(hwnd->extra.data() + index, &value, sizeof value);
    return old;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
    if (!IsLive(hwnd) || index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > hwnd->extra.size()) return 0;
    LONG_PTR value;
    std::memcpy(&value, hwnd->extra.data() + index, sizeof value);
    return value;
}

HWND FindWindowW(const WCHAR* className, const WCHAR* title) {
    const std::wstring cls = className ? className : L"";
    const std::wstring name = title ? title : L"";
    if (HWND own = FindOwnWindow(cls, name)) return own;
    if (!InstanceOtherCopyRunning()) return nullptr;
    // The other copy's window: one handle stands for it, carrying the
    // class and title it was found by.
    static PlatformWindow remote;
    remote.remote = true;
    remote.alive = false;
    remote.className = cls;
    remote.title = name;
    return &remote;
}

BOOL SetForegroundWindow(HWND hwnd) {
    hwnd = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hwnd) & ~static_cast<uintptr_t>(1));
    if (hwnd && hwnd->remote) {
        // The hand-over to the copy already running: whoever started this
        // one is told why no window of its own appears.
        if (!InstanceSendRaise(hwnd->className, hwnd->title)) return FALSE;
        PlatformWarn("%s is already running; brought it to the front", Narrow(hwnd->title.c_str()).c_str());
        return TRUE;
    }
    if (!IsLive(hwnd)) return FALSE;
    Core().foreground = hwnd;
    if (!hwnd->dialog) {
        SetActive(true, true);
        Current().raise(hwnd);
    }
    return TRUE;
}

HWND GetForegroundWindow() { return Core().foreground; }

HWND SetFocus(HWND hwnd) {
    HWND old = Core().focus;
    if (IsLive(hwnd)) Core().focus = hwnd;
    return old;
}

HWND GetFocus() { return Core().focus; }

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    if (!IsLive(hwnd)) return nullptr;
    hwnd->invalid = false;
    if (paint) *paint = {hwnd, FALSE, {0, 0, FRAME_WIDTH, FRAME_HEIGHT}};
    return hwnd;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

int LoadStringW(HINSTANCE, UINT id, WCHAR* buffer, int bufferChars) {
    const PlatformString* s = FindString(static_cast<WORD>(id));
    if (!s || !buffer || bufferChars <= 0) return 0;
    int n = 0;
    while (s->text[n] && n < bufferChars - 1) {
        buffer[n] = s->text[n];
        ++n;
    }
    buffer[n] = 0;
    return n;
}

HACCEL LoadAcceleratorsW(HINSTANCE, const WCHAR* name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    return const_cast<PlatformAccelTable*>(FindAccelTable(static_cast<WORD>(reinterpret_cast<uintptr_t>(name))));
}

int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg) {
    if (!table || !msg || msg->message != WM_KEYDOWN || !IsLive(hwnd)) return 0;
    const bool control = (msg->modifiers & MK_CONTROL) != 0;
    const bool shift = (msg->modifiers & MK_SHIFT) != 0;
    for (int i = 0; i < table->count; ++i) {
        const ACCEL& a = table->entries[i];
        if (!(a.fVirt & FVIRTKEY) || a.key != msg->wParam) continue;
        if (((a.fVirt & FCONTROL) != 0) != control || ((a.fVirt & FSHIFT) != 0) != shift) continue;
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

HICON LoadIconW(HINSTANCE, const WCHAR* name) {
    const PlatformResource* r = FindBinaryResource(RT_GROUP_ICON, name);
    if (!r) return nullptr;
    static PlatformIcon icon;
    icon = {r->data, r->size};
    return &icon;
}

void* GetStockObject(int) {
    // The class background is never painted: the game presents its own frame.
    static PlatformBrush* const white = nullptr;
    return white;
}

int MessageBoxW(HWND, const WCHAR* text, const WCHAR* caption, UINT) {
    return Current().messageBox(Narrow(text ? text : L""), Narrow(caption ? caption : L""));
}

INT_PTR DialogBoxParamW(HINSTANCE, const WCHAR* templateName, HWND owner, DLGPROC proc, LPARAM param) {
    if (!IS_INTRESOURCE(templateName) || !proc) return -1;
    const PlatformDialog* dialog = FindDialog(static_cast<WORD>(reinterpret_cast<uintptr_t>(templateName)));
    if (!dialog) return -1;
    auto window = std::make_unique<PlatformWindow>();
    window->dialog = true;
    window->owner = owner;
    HWND hwnd = window.get();
    Core().windows.push_back(std::move(window));
    HWND previous = Core().foreground;

    proc(hwnd, WM_INITDIALOG, 0, param);
    Current().dialog(dialog->title, dialog->text);
    // Closing the box is the Done command; a procedure that ignores it
    // still gets its dialog closed, as there is nothing else to press.
    if (!hwnd->dialogEnded) proc(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    if (!hwnd->dialogEnded) EndDialog(hwnd, IDOK);

    hwnd->alive = false;
    if (Core().foreground == hwnd) Core().foreground = IsLive(owner) ? owner : previous;
    return hwnd->dialogResult;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    if (!IsLive(dialog) || !dialog->dialog) return FALSE;
    dialog->dialogEnded = true;
    dialog->dialogResult = result;
    return TRUE;
}
