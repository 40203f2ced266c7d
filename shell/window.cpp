#include "platform/winapi/kernel.h"
#include "shell/window.h"

#include "game/holds.h"
#include "game/money.h"
#include "game/spin.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "platform/winapi/gx.h"
#include "resources/resources.h"
#include "screens/paytable_screen.h"
#include "screens/prompts.h"
#include "screens/splash.h"
#include "shell/program.h"
#include "shell/screen_report.h"

namespace {

struct ButtonPlace {
    WORD command;
    const char* label;
    int x, y, width, height;
};

// The nine buttons of the machine, in panel order: HOLD under each reel,
// then the column beside the status panel.
const ButtonPlace MainButtons[] = {
    {CMD_HOLD1, "HOLD", 8, 165, 52, 20},      {CMD_HOLD2, "HOLD", 66, 165, 52, 20},
    {CMD_HOLD3, "HOLD", 124, 165, 52, 20},    {CMD_HOLD4, "HOLD", 182, 165, 52, 20},
    {CMD_COIN, "Coin", 164, 200, 70, 20},     {CMD_RANDOM, "RANDOM", 164, 223, 70, 20},
    {CMD_GAMBLE, "GAMBLE", 164, 246, 70, 20}, {CMD_COLLECT, "COLLECT", 164, 269, 70, 20},
    {CMD_SPIN, "SPIN", 164, 292, 70, 20},
};

// The desktop keyboard's and the gamepad's way to the same buttons.
struct KeyPress {
    int virtualKey;
    WORD command;
};
const KeyPress MachineKeys[] = {
    {'1', CMD_HOLD1}, {'2', CMD_HOLD2},    {'3', CMD_HOLD3},     {'4', CMD_HOLD4},        {VK_SPACE, CMD_SPIN},
    {'C', CMD_COIN},  {'R', CMD_RANDOM},   {'G', CMD_GAMBLE},    {VK_RETURN, CMD_COLLECT},
    {VK_GAMEPAD_A, CMD_SPIN},              {VK_GAMEPAD_B, CMD_COLLECT},
};

}  // namespace

void LayoutMainWindow(Machine& machine, HWND hwnd) {
    machine.window = hwnd;
    OpenDisplay(machine.screen, hwnd);  // a failure has shown its box; the game goes on
    PanelInit(machine.buttons);
    for (const ButtonPlace& b : MainButtons)
        PanelAdd(machine.buttons, b.command, b.label, b.x, b.y, b.width, b.height, 0);
    RedrawAll(machine);
}

INT_PTR AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        SetForegroundWindow(dialog);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return 1;
    }
    return 0;
}

static void OnCommand(Machine& machine, HWND hwnd, WORD command) {
    switch (command) {
        case CMD_HOLD1:
        case CMD_HOLD2:
        case CMD_HOLD3:
        case CMD_HOLD4:
            HoldOrNudge(machine, command - CMD_HOLD1);
            break;
        case CMD_SPIN:
            Spin(machine, false);
            break;
        case CMD_COLLECT:
            if (machine.prize == 0) CollectBank(machine);
            else BankPrize(machine);
            break;
        case CMD_COIN:
            InsertCoin(machine);
            break;
        case CMD_GAMBLE:
            GamblePrize(machine);
            break;
        case CMD_RANDOM:
            Spin(machine, true);
            break;
        case CMD_ABOUT:
            ReportScreen("about");
            DialogBoxParamW(PlatformModule(), MAKEINTRESOURCEW(IDD_ABOUT), hwnd, AboutDlgProc, 0);
            ReportScreen("machine");
            break;
        default:
            break;  // unknown numbers do nothing
    }
}

static LRESULT OnKeyDown(Machine* machine, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const short key = static_cast<short>(LOWORD(wParam));
    if (key == GapiKeys.vkUp || key == GapiKeys.vkDown || key == GapiKeys.vkLeft || key == GapiKeys.vkRight)
        return 0;  // consumed on the main screen
    if (!machine) return DefWindowProcW(hwnd, message, wParam, lParam);
    // A key for a button is a tap on it: nothing when the button is hidden
    // or disabled, and one press however long the key is held.
    if (!(GetKeyState(VK_CONTROL) & 0x8000))
        for (const KeyPress& k : MachineKeys)
            if (k.virtualKey == key) {
                if (!IsKeyRepeat(lParam)) PanelPress(machine->buttons, hwnd, k.command);
                return 0;
            }
    const uint16_t black = MakeColour(0, 0, 0);
    if (key == GapiKeys.vkA) {
        ShowHighScores(*machine);
        return 0;
    }
    if (key == GapiKeys.vkB) {
        ShowPayTable(machine->screen);
        RedrawAll(*machine);
        ReportScreen("machine");
        FadeIn(machine->screen, black, FadeStep);
        return 0;
    }
    if (key == GapiKeys.vkStart || key == GapiKeys.vkC || key == VK_GAMEPAD_MENU) {
        if (ConfirmAbandon(*machine)) DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Machine* machine = reinterpret_cast<Machine*>(GetWindowLongPtrW(hwnd, 0));
    switch (message) {
        case WM_CREATE: {
            machine = static_cast<Machine*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(machine));
            LayoutMainWindow(*machine, hwnd);
            // Without a back buffer nothing can be drawn at all: refuse the
            // window, which ends start-up.
            if (!machine->screen.pixels) {
                CloseDisplay(hwnd);
                return -1;
            }
            ShowSplash(*machine);
            SetTimer(hwnd, FRAME_TIMER, FRAME_TIMER_MS, nullptr);
            return 0;
        }
        case WM_DESTROY:
            CloseDisplay(hwnd);
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            if (!AppReady || !machine) return 0;
            if (LOWORD(wParam) == WA_INACTIVE) {
                SuspendDisplay(hwnd);
                KillTimer(hwnd, FRAME_TIMER);
            } else if (LOWORD(wParam) == WA_ACTIVE) {
                ResumeDisplay(hwnd);
                Present(machine->screen);
                SetTimer(hwnd, FRAME_TIMER, FRAME_TIMER_MS, nullptr);
            }
            return 0;
        case WM_SETFOCUS:
        case WM_SETTINGCHANGE:
        case WM_PRESENT:
            if (machine) Present(machine->screen);
            return 0;
        case WM_KILLFOCUS:
            return 0;
        case WM_PAINT: {
            if (machine) Present(machine->screen);
            PAINTSTRUCT paint;
            BeginPaint(hwnd, &paint);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            if (machine) Present(machine->screen);
            return 1;
        case WM_KEYDOWN:
            return OnKeyDown(machine, hwnd, message, wParam, lParam);
        case WM_COMMAND:
            SetFocus(hwnd);
            if (machine) OnCommand(*machine, hwnd, LOWORD(wParam));
            return 0;
        case WM_TIMER:
            if (machine && GetForegroundWindow() == hwnd) Present(machine->screen);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (machine) PanelTap(machine->buttons, hwnd, message, wParam, lParam);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
