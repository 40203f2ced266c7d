#include "shell/winmain.h"

#include <string>

#include "game/reels.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "platform/winapi/gx.h"
#include "platform/winapi/kernel.h"
#include "resources/resources.h"
#include "screens/highscore_file.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/window.h"

static HINSTANCE Instance;
// A failed start-up ends the program with 1, so that launchers and scripts
// can tell; a second copy that hands over to the first ends with 0.
static int StartupStatus = 0;

static int FailStartup(const wchar_t* text, const wchar_t* caption, int* status) {
    if (text) MessageBoxW(GetFocus(), text, caption, MB_OK);
    *status = 1;
    return 0;
}

void SetTuningValues() {
    ReelStep = 10;
    FadeStep = 50;
    MorphStep = 20;
}

int DiscardPendingMessages() {
    MSG msg;
    bool quit = false;
    int quitCode = 0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
        }
    }
    // The end of the program is not input: a game that closed its window
    // inside a spin (GAME OVER, Exit Game) must still leave its main loop.
    if (quit) PostQuitMessage(quitCode);
    return 0;
}

ATOM RegisterMainClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.cbWndExtra = sizeof(Machine*);
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    return RegisterClassW(&wc);
}

int InitInstance(HINSTANCE instance, int) { return StartGame(instance, GameStart(), &StartupStatus); }

// A picture of the game's: from the folder given, else from Images beside
// the program.
static const char* PicturePath(const GameStart& how, const char* name, std::string* path) {
    if (!how.imagesFolder) return ProgramPathNarrow((std::string("Images\\") + name).c_str());
    *path = std::string(how.imagesFolder) + "/" + name;
    return path->c_str();
}

int StartGame(HINSTANCE instance, const GameStart& how, int* status) {
    Instance = instance;
    *status = 0;
    InitGraphics();
    wchar_t className[100], title[100];
    LoadStringW(instance, IDS_CLASS, className, 100);
    LoadStringW(instance, IDS_TITLE, title, 100);

    // One copy runs at a time: a second one brings the first to the front,
    // has it present its frame, and ends without touching anything.
    if (HWND other = how.handOver ? FindWindowW(className, title) : nullptr) {
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(other) | 1));
        PostMessageW(other, WM_PRESENT, 0, 0);
        return 0;
    }
    if (how.highScores && !CreateHighScoreFile()) return FailStartup(L"High Scores", L"Unable to initialise", status);
    if (!LoadBitmapResource(LcdDigitFont, instance, L"LCD")) return FailStartup(L"lcd.bmp", L"Load Error", status);
    std::string path;
    if (!LoadBitmapFile(SymbolImage, PicturePath(how, "fruit.bmp", &path)))
        return FailStartup(L"fruit.bmp", L"Load Error", status);
    SymbolImage.SetTransparent(SymbolImage.pixels[0]);
    if (!BuildReelStrips()) return FailStartup(L"fruit.bmp", L"Load Error", status);
    if (!LoadBitmapFile(MachineImage, PicturePath(how, "machine.bmp", &path)))
        return FailStartup(L"machine.bmp", L"Load Error", status);

    RegisterMainClass(instance, className);
    HWND hwnd = CreateWindowExW(0, className, title, WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 240, 320, nullptr, nullptr,
                                instance, &TheMachine);
    if (!hwnd) return FailStartup(nullptr, nullptr, status);
    GapiKeys = GXGetDefaultKeys(GX_NORMALKEYS);
    SetTuningValues();
    return 1;
}

int WinMain(HINSTANCE instance, HINSTANCE, const char*, int showCommand) {
    if (!InitInstance(instance, showCommand)) {
        FreeFont();
        return StartupStatus;
    }
    // Two start-up steps of the handheld have nothing to do on the desktop:
    // clearing user notifications left for the program (there is no such
    // store) and raising the thread's priority (nothing of the program's own
    // competes with its single thread).
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    AppReady = 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (!msg.hwnd || !TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    FreeFont();
    return static_cast<int>(msg.wParam);
}
