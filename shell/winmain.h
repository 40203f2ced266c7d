// Start-up, the main message loop and shut-down.
#pragma once
#include "platform/winapi/win.h"

// Runs the program: start-up, the message loop until the main window is
// gone, shut-down. Returns the exit status: 0, or 1 when start-up failed.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
// 1 when the window exists and the program may run, 0 when it must end.
int InitInstance(HINSTANCE instance, int showCommand);

// How the game starts. The program itself hands over to a copy that is
// already running, keeps a high-score table and takes its pictures from
// Images beside itself; the benchmarks and the tests' machines start the
// same game with the pictures of the source tree, and without a hand-over.
struct GameStart {
    const char* imagesFolder = nullptr;  // null: Images beside the program
    bool handOver = true;                // a running copy takes over and this start ends
    bool highScores = true;              // the high-score table made where missing
};
// Start-up up to the first message, for every way into the game (WinMain,
// the benchmarks, the tests): graphics and the font, the hand-over, the
// high-score table, the game's pictures, the main window, the device's
// keys and the tuning values. 1 when the main window exists; 0 when the
// program must end, with the exit status in *status (1 after a failure
// that its box named, 0 after a hand-over).
int StartGame(HINSTANCE instance, const GameStart& how, int* status);
ATOM RegisterMainClass(HINSTANCE instance, const wchar_t* className);
void SetTuningValues();
// Takes every waiting message off the queue without handling any, all but
// the quit message, which is posted again; returns 0.
int DiscardPendingMessages();
