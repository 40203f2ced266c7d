// The direct display, the key list and the shell calls, over the backend.
#include "platform/winapi/core_state.h"

using namespace platform;

GXDisplayProperties GXGetDisplayProperties() { return Current().displayProperties(); }

int GXOpenDisplay(HWND, DWORD) {
    if (!Current().openDisplay()) return 0;
    Core().displayOpen = true;
    return 1;
}

int GXCloseDisplay() {
    if (!Core().displayOpen) return 0;
    Current().closeDisplay();
    Core().displayOpen = false;
    return 1;
}

void* GXBeginDraw() {
    CoreState& c = Core();
    if (c.drawing) return nullptr;
    uint16_t* memory = Current().beginDraw(c.displayOpen);
    c.drawing = memory != nullptr;
    return memory;
}

int GXEndDraw() {
    CoreState& c = Core();
    if (!c.drawing) return 0;
    c.drawing = false;
    Current().endDraw();
    return 1;
}

int GXOpenInput() { return 1; }
int GXCloseInput() { return 1; }

GXKeyList GXGetDefaultKeys(int) {
    GXKeyList keys = {};
    keys.vkUp = VK_UP;
    keys.vkDown = VK_DOWN;
    keys.vkLeft = VK_LEFT;
    keys.vkRight = VK_RIGHT;
    keys.vkA = 'H';
    keys.vkB = 'P';
    keys.vkC = 'Q';
    keys.vkStart = VK_ESCAPE;
    return keys;
}

BOOL SHFullScreen(HWND, DWORD state) {
    Current().shellCall(state);
    return TRUE;
}

BOOL SHInitDialog(SHINITDLGINFO* info) { return info ? TRUE : FALSE; }
