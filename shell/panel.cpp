#include "shell/panel.h"

#include <cstring>

#include "gfx/font.h"
#include "gfx/lines.h"
#include "platform/winapi/gx.h"

void PanelInit(ButtonPanel& panel) { panel.count = 0; }
void PanelClear(ButtonPanel& panel) { panel.count = 0; }

int PanelAdd(ButtonPanel& panel, int id, const char* label, int x, int y, int width, int height, int flags) {
    if (panel.count >= PANEL_MAX_BUTTONS) return 0;
    PanelButton& b = panel.button[panel.count];
    b.rect = {x, y, x + width, y + height};
    b.id = static_cast<uint16_t>(id);
    b.flags = static_cast<uint8_t>(flags);
    b.label = label;
    b.textColour = MakeColour(0, 0, 0);
    b.faceColour = MakeColour(192, 192, 192);
    b.frameColour = MakeColour(0, 0, 0);
    b.disabledColour = MakeColour(128, 128, 128);
    panel.count += 1;
    return 1;
}

int PanelFind(const ButtonPanel& panel, int id) {
    for (int i = 0; i < panel.count; ++i)
        if (panel.button[i].id == static_cast<uint16_t>(id)) return i + 1;
    return 0;
}

int PanelSetLabel(ButtonPanel& panel, int id, const char* label) {
    const int n = PanelFind(panel, id);
    if (n) panel.button[n - 1].label = label;
    return n;
}

void PanelEnable(ButtonPanel& panel, int id, int enable) {
    if (const int n = PanelFind(panel, id)) {
        uint8_t& flags = panel.button[n - 1].flags;
        flags = enable ? flags & ~PB_DISABLED : flags | PB_DISABLED;
    }
}

int PanelSetColours(ButtonPanel& panel, int id, int text, int face, int frame, int disabled) {
    const int n = PanelFind(panel, id);
    if (!n) return 0;
    PanelButton& b = panel.button[n - 1];
    if (text != -1) b.textColour = static_cast<uint16_t>(text);
    if (face != -1) b.faceColour = static_cast<uint16_t>(face);
    if (frame != -1) b.frameColour = static_cast<uint16_t>(frame);
    if (disabled != -1) b.disabledColour = static_cast<uint16_t>(disabled);
    return n;
}

int PanelSetFlags(ButtonPanel& panel, int id, int flags) {
    const int n = PanelFind(panel, id);
    if (n) panel.button[n - 1].flags = static_cast<uint8_t>(flags);
    return n;
}

int PanelHitTest(const ButtonPanel& panel, int x, int y) {
    const POINT point = {x, y};
    for (int i = 0; i < panel.count; ++i)
        if (PtInRect(&panel.button[i].rect, point)) return i + 1;
    return 0;
}

void PanelDrawButton(const PanelButton& b, Surface& s) {
    const int32_t l = b.rect.left, t = b.rect.top, r = b.rect.right, bo = b.rect.bottom;
    if (!(b.flags & (PB_HIDDEN | PB_NOFACE))) {
        s.FillRect(l, t, r, bo, b.faceColour);
        FrameRect(s, l, t, r, bo, b.frameColour);
        if (!(b.flags & PB_FLAT)) {
            HLine(s, l + 1, bo - 1, r - l - 1, MakeColour(64, 64, 64));
            VLine(s, r - 1, t + 1, bo - t - 1, MakeColour(64, 64, 64));
            HLine(s, l + 2, bo - 2, r - l - 3, MakeColour(128, 128, 128));
            VLine(s, r - 2, t + 2, bo - t - 3, MakeColour(128, 128, 128));
            HLine(s, l + 1, t + 1, r - l - 2, MakeColour(255, 255, 255));
            VLine(s, l + 1, t + 1, bo - t - 2, MakeColour(255, 255, 255));
        }
    }
    if (!(b.flags & PB_HIDDEN)) {
        const int n = static_cast<int>(std::strlen(b.label));
        DrawText(s, b.label, l + (r - l - 8 * n) / 2, t + (bo - t - 8) / 2,
                 (b.flags & PB_DISABLED) ? b.disabledColour : b.textColour);
    }
}

void PanelDraw(const ButtonPanel& panel, Surface& surface) {
    for (int i = 0; i < panel.count; ++i) PanelDrawButton(panel.button[i], surface);
}

int PanelTap(const ButtonPanel& panel, HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_LBUTTONDOWN) return 0;
    const int n = PanelHitTest(panel, LOWORD(lParam), HIWORD(lParam));
    if (!n) return 0;
    return PanelPress(panel, window, panel.button[n - 1].id);
}

int PanelIsLit(const ButtonPanel& panel, int id) {
    const int n = PanelFind(panel, id);
    return n && !(panel.button[n - 1].flags & (PB_HIDDEN | PB_DISABLED)) ? 1 : 0;
}

int PanelPress(const ButtonPanel& panel, HWND window, int id) {
    if (!PanelIsLit(panel, id)) return 0;
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    return 1;
}

bool IsKeyRepeat(LPARAM keyFlags) { return (static_cast<uintptr_t>(keyFlags) & 0x40000000u) != 0; }

int PanelModalLoop(const ButtonPanel& panel, const PanelKey* keys, int keyCount) {
    MSG msg;
    for (;;) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            PostQuitMessage(0);
            return 0;
        }
        if (msg.message == WM_KEYDOWN) {
            const short key = static_cast<short>(LOWORD(msg.wParam));
            if (!IsKeyRepeat(msg.lParam) && !(GetKeyState(VK_CONTROL) & 0x8000))
                for (int i = 0; i < keyCount; ++i)
                    if (keys[i].virtualKey == key) return keys[i].result;
            const GXKeyList device = GXGetDefaultKeys(GX_NORMALKEYS);
            if (key == device.vkUp) return PANEL_KEY_UP;
            if (key == device.vkDown) return PANEL_KEY_DOWN;
            if (key == device.vkLeft) return PANEL_KEY_LEFT;
            if (key == device.vkRight) return PANEL_KEY_RIGHT;
            if (key == device.vkStart || key == VK_GAMEPAD_MENU) return PANEL_KEY_START;
            continue;
        }
        if (msg.message == WM_LBUTTONDOWN) {
            if (const int n = PanelHitTest(panel, LOWORD(msg.lParam), HIWORD(msg.lParam)))
                return panel.button[n - 1].id;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
