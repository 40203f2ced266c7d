#include "shell/window.h"

#include "gfx/display.h"
#include "platform/gx.h"
#include "resources/resources.h"
#include "shell/program.h"

void LayoutMainWindow(Machine& machine, HWND hwnd) {
    machine.window = hwnd;
    OpenDisplay(machine.screen, hwnd);  // a failure has shown its box; the game goes on
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

static void OnCommand(Machine&, HWND hwnd, WORD command) {
    switch (command) {
        case CMD_ABOUT:
            DialogBoxParamW(PlatformModule(), MAKEINTRESOURCEW(IDD_ABOUT), hwnd, AboutDlgProc, 0);
            break;
        default:
            break;  // unknown numbers do nothing
    }
}

static LRESULT OnKeyDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const short key = static_cast<short>(LOWORD(wParam));
    if (key == GapiKeys.vkUp || key == GapiKeys.vkDown || key == GapiKeys.vkLeft || key == GapiKeys.vkRight)
        return 0;  // consumed on the main screen
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
            if (!machine->screen.pixels) return -1;
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
            return OnKeyDown(hwnd, message, wParam, lParam);
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
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
