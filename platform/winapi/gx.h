// The direct display, the device key list, and the shell calls that went
// with them.
//
// The display is a 240 x 320 RGB565 frame memory. GXBeginDraw hands out its
// address and GXEndDraw shows what was written, paced to 60 frames a second
// (a present that comes early waits for its frame slot, moving window-system
// events into the queue meanwhile). The SDL backend scales the frame by whole
// numbers into its window; the headless backend keeps it in memory, lays it
// out by the pitches a test chose, and logs every present.
//
// GXBeginDraw yields no address while the headless display is closed or
// suspended (the handheld's rule). The SDL window stays in plain view when
// it loses the focus, so there it yields one whenever the window is shown and
// not minimised.
#pragma once
#include "platform/winapi/win.h"

// The frame's size in pixels: the handheld's screen, and every backend's.
constexpr int FRAME_WIDTH = 240;
constexpr int FRAME_HEIGHT = 320;

struct GXDisplayProperties {
    DWORD cxWidth;
    DWORD cyHeight;
    long cbxPitch;  // bytes from one pixel to the next of the same row
    long cbyPitch;  // bytes from one row to the next
    long cBPP;
    DWORD ffFormat;
};

// The byte step in frame memory that a pitch stands for: pixels are 16 bits
// at even offsets, so an odd pitch steps by its even neighbour toward zero
// (-641 by -640). Whoever writes or sizes frame memory steps by this.
constexpr long GXPixelStep(long pitch) { return pitch - pitch % 2; }

constexpr DWORD kfDirect = 0x20;
constexpr DWORD kfDirect565 = 0x80;

constexpr DWORD GX_FULLSCREEN = 0x01;
constexpr int GX_NORMALKEYS = 0x02;

// The device buttons: a virtual-key code and a screen position each (the
// positions are not used), 12 bytes apart, 96 bytes in all.
struct GXKeyList {
    short vkUp;
    POINT ptUp;
    short vkDown;
    POINT ptDown;
    short vkLeft;
    POINT ptLeft;
    short vkRight;
    POINT ptRight;
    short vkA;
    POINT ptA;
    short vkB;
    POINT ptB;
    short vkC;
    POINT ptC;
    short vkStart;
    POINT ptStart;
};
static_assert(sizeof(GXKeyList) == 96);

GXDisplayProperties GXGetDisplayProperties();
int GXOpenDisplay(HWND hwnd, DWORD flags);
int GXCloseDisplay();
void* GXBeginDraw();
int GXEndDraw();
// The device buttons go to the window whether or not input is "open"; these
// only keep the pairing that the display session expects.
int GXOpenInput();
int GXCloseInput();
// On the desktop: Up, Down, Left, Right = the arrow keys; A = H; B = P;
// C = Q; Start = Escape.
GXKeyList GXGetDefaultKeys(int keySet);

// The shell's full-screen switch and full-screen dialog set-up. A desktop has
// no task bar, input-panel button or start icon to hide, so they change
// nothing; full screen is the player's choice (--fullscreen, F11). The
// headless backend logs them.
constexpr DWORD SHFS_SHOWTASKBAR = 0x01;
constexpr DWORD SHFS_HIDETASKBAR = 0x02;
constexpr DWORD SHFS_SHOWSIPBUTTON = 0x04;
constexpr DWORD SHFS_HIDESIPBUTTON = 0x08;
constexpr DWORD SHFS_SHOWSTARTICON = 0x10;
constexpr DWORD SHFS_HIDESTARTICON = 0x20;
BOOL SHFullScreen(HWND hwnd, DWORD state);

struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;
BOOL SHInitDialog(SHINITDLGINFO* info);
