// The main window's procedure: where the window system's messages become
// game actions.
#pragma once
#include "game/machine.h"
#include "platform/winapi/win.h"

// Commands, from the touch buttons and the accelerators.
constexpr WORD CMD_HOLD1 = 1;
constexpr WORD CMD_HOLD2 = 2;
constexpr WORD CMD_HOLD3 = 3;
constexpr WORD CMD_HOLD4 = 4;
constexpr WORD CMD_SPIN = 10;
constexpr WORD CMD_COLLECT = 11;
constexpr WORD CMD_COIN = 12;
constexpr WORD CMD_GAMBLE = 13;
constexpr WORD CMD_RANDOM = 15;
constexpr WORD CMD_ABOUT = 40003;

// Sent by a second copy of the program: present the frame again.
constexpr UINT WM_PRESENT = WM_USER + 100;

// The frame timer presents the back buffer every 500 ms while the window is
// in front.
constexpr UINT FRAME_TIMER = 1;
constexpr UINT FRAME_TIMER_MS = 500;

LRESULT MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The body of WM_CREATE: binds the machine to the window, opens the display
// and draws the machine into the back buffer.
void LayoutMainWindow(Machine& machine, HWND hwnd);
INT_PTR AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
