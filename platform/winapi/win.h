// The window system the game is written against: a thread message queue,
// windows with window procedures, timers, focus and activation, painting,
// accelerators, message boxes, a modal dialog and string resources.
//
// Each service keeps the meaning the game relies on and nothing more. What
// it delivers:
//   - one thread queue: posted messages and input in arrival order, then the
//     quit message, then paint, then timers (all synthesised when asked for);
//   - sent messages (activation and focus changes) go straight to the window
//     procedure at the next GetMessageW or PeekMessageW, so no discard loses
//     them;
//   - a close request (close button, SIGINT, SIGTERM, a script's `close`) is
//     posted as WM_CLOSE and is never lost: if it is removed without being
//     dispatched, the next GetMessageW delivers it again;
//   - window extra bytes big enough for a pointer.
// What it deliberately does not: child windows, menus, window styles beyond
// visible, device contexts that draw, non-client messages.
#pragma once
#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uint16_t ATOM;
typedef wchar_t WCHAR;

struct PlatformWindow;
struct PlatformModule;
struct PlatformAccelTable;
struct PlatformIcon;
struct PlatformBrush;
typedef PlatformWindow* HWND;
typedef PlatformModule* HINSTANCE;
typedef PlatformAccelTable* HACCEL;
typedef PlatformIcon* HICON;
typedef PlatformBrush* HBRUSH;
typedef void* HCURSOR;
typedef void* HMENU;
typedef void* HDC;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    DWORD modifiers;  // MK_CONTROL / MK_SHIFT held when an input message was made
};

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const WCHAR* lpszMenuName;
    const WCHAR* lpszClassName;
};

struct CREATESTRUCTW {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const WCHAR* lpszName;
    const WCHAR* lpszClass;
    DWORD dwExStyle;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE states (low word of wParam).
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// Modifier bits of MSG::modifiers and of mouse wParam.
constexpr DWORD MK_LBUTTON = 0x0001;
constexpr DWORD MK_SHIFT = 0x0004;
constexpr DWORD MK_CONTROL = 0x0008;

// Virtual keys.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_BACK = 0x08;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F11 = 0x7A;
constexpr int VK_ADD = 0x6B;        // the keypad's +
constexpr int VK_SUBTRACT = 0x6D;   // the keypad's -
constexpr int VK_OEM_PLUS = 0xBB;   // the = / + key
constexpr int VK_OEM_MINUS = 0xBD;  // the - key
// A gamepad's south and east face buttons and its Start (menu) button, keys
// of their own: each page takes them as its confirm, back and Start.
constexpr int VK_GAMEPAD_A = 0xC3;
constexpr int VK_GAMEPAD_B = 0xC4;
constexpr int VK_GAMEPAD_MENU = 0xCF;

// PeekMessageW.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Window and class styles.
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Accelerator flags.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;
constexpr BYTE FLAST_ACCEL = 0x80;  // end-of-table mark of a stored table

// Message boxes.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr int IDOK = 1;

constexpr int WHITE_BRUSH = 0;

// Resource names: a small number or a string, as in MAKEINTRESOURCE.
inline const WCHAR* MAKEINTRESOURCEW(WORD id) {
    return reinterpret_cast<const WCHAR*>(static_cast<uintptr_t>(id));
}
inline bool IS_INTRESOURCE(const WCHAR* name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

inline WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }
inline WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16)); }

// Classes and windows ------------------------------------------------------

// Registers a class by name; a second registration of the same name fails (0).
ATOM RegisterClassW(const WNDCLASSW* wc);
// Creates a top-level window. WM_CREATE reaches the window procedure, with a
// CREATESTRUCTW whose lpCreateParams is param, before this returns; a
// procedure that answers -1 makes creation fail (null). WS_VISIBLE shows the
// window once WM_CREATE has returned. x, y and the size are in frame pixels.
HWND CreateWindowExW(DWORD exStyle, const WCHAR* className, const WCHAR* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY, kills the window's timers and forgets the window.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// WM_CLOSE destroys the window; everything else answers 0.
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Shows (activating it, with WM_ACTIVATE and WM_SETFOCUS) or hides a window.
BOOL ShowWindow(HWND hwnd, int command);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
// Finds a top-level window by class and title. A window of another running
// copy of the program is found too (see the single-instance notes in
// platform.h); such a handle accepts SetForegroundWindow and PostMessageW only.
HWND FindWindowW(const WCHAR* className, const WCHAR* title);
// The handle may carry the low bit set (bring owned windows too); it is ignored.
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetFocus(HWND hwnd);
HWND GetFocus();

// Painting: the window is invalid after it was shown or uncovered; WM_PAINT
// arrives while it is invalid and nothing else waits. BeginPaint and
// EndPaint validate it; nothing is drawn through the returned context.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);

// The queue -----------------------------------------------------------------

// Waits for the next message (any window when hwnd is null; filters other
// than 0, 0 are not supported). Returns 0 for WM_QUIT, else non-zero.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Looks at the queue without waiting; with PM_REMOVE the message is taken.
// Only messages from filterMin to filterMax are looked at (all for 0, 0),
// WM_QUIT, WM_PAINT and WM_TIMER included; hwnd is not a filter.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Appends a message to the queue. A handle of another running copy passes
// the message to that copy.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// WM_QUIT with exitCode comes once every other posted message has been taken.
void PostQuitMessage(int exitCode);
// Posts WM_CHAR for a key message that stands for a printable character.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);

// Timers: WM_TIMER with wParam = id comes at most once per period while the
// queue holds nothing else; setting a running id restarts it.
UINT SetTimer(HWND hwnd, UINT id, UINT periodMs, void* timerProc);
BOOL KillTimer(HWND hwnd, UINT id);

// Key state as of the message last taken from the queue (high bit set: down).
short GetKeyState(int virtualKey);
// The physical state now; VK_LBUTTON is the stylus.
short GetAsyncKeyState(int virtualKey);
BOOL PtInRect(const RECT* rect, POINT point);

// Resources compiled into the program -----------------------------------------

int LoadStringW(HINSTANCE instance, UINT id, WCHAR* buffer, int bufferChars);
HACCEL LoadAcceleratorsW(HINSTANCE instance, const WCHAR* name);
// For WM_KEYDOWN matching an entry (key and Control/Shift state), sends
// WM_COMMAND with wParam = MAKEWPARAM(cmd, 1) to hwnd and returns 1.
int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg);
HICON LoadIconW(HINSTANCE instance, const WCHAR* name);
void* GetStockObject(int object);

// Message boxes and the modal dialog ---------------------------------------

// Shows text and caption with an OK button and returns IDOK when dismissed.
// The SDL backend shows a real box (stderr without a display); headless
// runs print it to stderr and log it.
int MessageBoxW(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type);
// Runs dialog `templateName` (a dialog resource: a title and a text) modally:
// WM_INITDIALOG first, then WM_COMMAND IDOK when the player closes it, until
// the procedure calls EndDialog. Returns the EndDialog result, -1 when the
// dialog resource does not exist.
INT_PTR DialogBoxParamW(HINSTANCE instance, const WCHAR* templateName, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
