#include "gfx/display.h"

#include <algorithm>
#include <cstring>

#include "gfx/font.h"

static GXDisplayProperties Properties;

// The back buffer is always the frame's 240 x 320 (FRAME_WIDTH and
// FRAME_HEIGHT), whatever size the display reports: every layout
// coordinate of the game is for that frame.

bool InitGraphics() {
    Properties = GXGetDisplayProperties();
    SetPixelFormatFlags(Properties.ffFormat);
    BuildFont();
    return true;
}

const GXDisplayProperties& DisplayProperties() { return Properties; }

bool OpenDisplay(Surface& backBuffer, HWND window) {
    SHFullScreen(window, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON);
    ShowWindow(window, SW_SHOW);
    if (!GXOpenDisplay(window, GX_FULLSCREEN)) {
        MessageBoxW(GetFocus(), L"GXOpenDisplay", L"Init Failed", MB_OK);
        return false;
    }
    GXOpenInput();
    return backBuffer.Create(FRAME_WIDTH, FRAME_HEIGHT) && backBuffer.pixels;
}

int CloseDisplay(HWND window) {
    SHFullScreen(window, SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON | SHFS_SHOWSTARTICON);
    GXCloseInput();
    return GXCloseDisplay();
}

void SuspendDisplay(HWND window) {
    GXCloseInput();
    GXCloseDisplay();
    SHFullScreen(window, SHFS_SHOWTASKBAR);
    SHFullScreen(window, SHFS_SHOWSIPBUTTON);
    SHFullScreen(window, SHFS_SHOWSTARTICON);
}

void ResumeDisplay(HWND window) {
    SetForegroundWindow(window);
    SHFullScreen(window, SHFS_HIDETASKBAR);
    SHFullScreen(window, SHFS_HIDESIPBUTTON);
    SHFullScreen(window, SHFS_HIDESTARTICON);
    GXOpenDisplay(window, GX_FULLSCREEN);
    GXOpenInput();
}

// Copies h rows of w pixels from the surface, starting at its pixel
// (x, y), to the display address `out`, stepping by the pitches. A display
// laid out as plain rows gets a block copy per row, or one for all of them.
static void CopyToDisplay(uint8_t* out, const Surface& surface, int x, int y, int w, int h) {
    const long xStep = GXPixelStep(Properties.cbxPitch);
    const long yStep = GXPixelStep(Properties.cbyPitch);
    const uint16_t* row = surface.pixels + static_cast<ptrdiff_t>(y) * surface.width + x;
    if (xStep == 2 && yStep == 2L * w && w == surface.width) {
        std::memcpy(out, row, static_cast<size_t>(w) * h * 2);
        return;
    }
    for (int r = 0; r < h; ++r, row += surface.width, out += yStep) {
        if (xStep == 2) {
            std::memcpy(out, row, static_cast<size_t>(w) * 2);
            continue;
        }
        uint8_t* p = out;
        for (int c = 0; c < w; ++c, p += xStep) std::memcpy(p, row + c, 2);
    }
}

void Present(const Surface& surface) {
    uint8_t* memory = static_cast<uint8_t*>(GXBeginDraw());
    if (!memory) return;
    if (!DrawingOff && surface.pixels && surface.width == FRAME_WIDTH && surface.height >= FRAME_HEIGHT)
        CopyToDisplay(memory, surface, 0, 0, FRAME_WIDTH, FRAME_HEIGHT);
    GXEndDraw();
}

void PresentRect(const Surface& surface, int x, int y, int w, int h) {
    uint8_t* memory = static_cast<uint8_t*>(GXBeginDraw());
    if (!memory) return;
    const int x2 = std::min({x + w, surface.width, FRAME_WIDTH});
    const int y2 = std::min({y + h, surface.height, FRAME_HEIGHT});
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (!DrawingOff && surface.pixels && x2 > x && y2 > y) {
        const long offset = GXPixelStep(Properties.cbyPitch) * y + GXPixelStep(Properties.cbxPitch) * x;
        CopyToDisplay(memory + offset, surface, x, y, x2 - x, y2 - y);
    }
    GXEndDraw();
}
