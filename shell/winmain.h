// Start-up, the main message loop and shut-down.
#pragma once
#include "platform/winapi/win.h"

// Runs the program: start-up, the message loop until the main window is
// gone, shut-down. Returns the exit status: 0, or 1 when start-up failed.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
// 1 when the window exists and the program may run, 0 when it must end.
int InitInstance(HINSTANCE instance, int showCommand);
ATOM RegisterMainClass(HINSTANCE instance, const wchar_t* className);
void SetTuningValues();
// Takes every waiting message off the queue without handling any, all but
// the quit message, which is posted again; returns 0.
int DiscardPendingMessages();
