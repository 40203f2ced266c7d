// The touch buttons: bevelled rectangles with a centred label, kept in small
// fixed tables. The main screen's panel turns taps into WM_COMMAND messages;
// a full-screen page builds a panel of its own and waits on it in
// PanelModalLoop. A button is addressed by its command id, which is also the
// WM_COMMAND number and the modal loop's result.
#pragma once
#include <cstdint>

#include "gfx/surface.h"
#include "platform/winapi/win.h"

constexpr uint8_t PB_HIDDEN = 0x01;    // not drawn, taps ignored
constexpr uint8_t PB_DISABLED = 0x02;  // label greyed, taps ignored
constexpr uint8_t PB_FLAT = 0x08;      // no bevel
constexpr uint8_t PB_NOFACE = 0x10;    // the label alone, over what is there

// PanelModalLoop's results for the device buttons; button ids stay below.
constexpr int PANEL_KEY_UP = 1000;
constexpr int PANEL_KEY_DOWN = 1001;
constexpr int PANEL_KEY_LEFT = 1002;
constexpr int PANEL_KEY_RIGHT = 1003;
constexpr int PANEL_KEY_START = 1004;

constexpr int PANEL_MAX_BUTTONS = 12;

struct PanelButton {
    RECT rect;  // right = x + width, bottom = y + height (the frame covers both)
    uint8_t flags;
    uint16_t id;
    uint16_t textColour;
    uint16_t faceColour;
    uint16_t frameColour;
    uint16_t disabledColour;
    const char* label;  // borrowed: must outlive the button
};

// A plain value: nothing in it is allocated. Entries from count up are unused.
struct ButtonPanel {
    PanelButton button[PANEL_MAX_BUTTONS];
    int32_t count = 0;
};

void PanelInit(ButtonPanel& panel);
void PanelClear(ButtonPanel& panel);
// 1 when added with the default colours; 0 when the panel is full.
int PanelAdd(ButtonPanel& panel, int id, const char* label, int x, int y, int width, int height, int flags);
// Searches by id return the 1-based entry number of the first match, 0 for none.
int PanelFind(const ButtonPanel& panel, int id);
int PanelSetLabel(ButtonPanel& panel, int id, const char* label);
void PanelEnable(ButtonPanel& panel, int id, int enable);
// -1 leaves a colour as it is.
int PanelSetColours(ButtonPanel& panel, int id, int text, int face, int frame, int disabled);
int PanelSetFlags(ButtonPanel& panel, int id, int flags);
int PanelHitTest(const ButtonPanel& panel, int x, int y);
// 1 when the panel has the button and it is shown and enabled: a tap on it
// would press it.
int PanelIsLit(const ButtonPanel& panel, int id);

void PanelDrawButton(const PanelButton& button, Surface& surface);
void PanelDraw(const ButtonPanel& panel, Surface& surface);

// For the window procedure's stylus messages: a stylus-down on an enabled,
// visible button posts WM_COMMAND with its id. 1 when a command was posted.
int PanelTap(const ButtonPanel& panel, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A press of the button with that id from the keyboard or a gamepad, taken
// exactly as a tap on it: WM_COMMAND is posted only when the button is there,
// visible and enabled. 1 when a command was posted.
int PanelPress(const ButtonPanel& panel, HWND window, int id);

// A key of the desktop keyboard or the gamepad that answers a page, and what
// it answers.
struct PanelKey {
    int virtualKey;
    int result;
};
// A key press is its first WM_KEYDOWN; the repeats of a held key are not.
bool IsKeyRepeat(LPARAM keyFlags);

// Waits for a stylus-down on a button (its id), a device button (a
// PANEL_KEY_ result; the gamepad's Start is the device's Start) or, first of
// all, one of the page's own keys (its result; held-key repeats do not
// count); 0 when the program is quitting, with the quit message posted again
// for the main loop. Other keys and taps are dropped; every other message is
// dispatched as usual.
int PanelModalLoop(const ButtonPanel& panel, const PanelKey* keys = nullptr, int keyCount = 0);
