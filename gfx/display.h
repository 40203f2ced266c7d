// The display session: the display's description, read once; the back
// buffer; and presenting a frame, whole or by rectangle, straight into the
// display memory.
#pragma once
#include "gfx/surface.h"
#include "platform/winapi/gx.h"

// Reads the display's description once and fixes the native pixel format.
// Comes before anything is loaded, since loading converts colours.
bool InitGraphics();
const GXDisplayProperties& DisplayProperties();

// At window creation: shows the window, opens the display and creates the
// 240 x 320 back buffer. False when the display cannot be opened ("Init
// Failed" box) or the back buffer cannot be created.
bool OpenDisplay(Surface& backBuffer, HWND window);
int CloseDisplay(HWND window);
void SuspendDisplay(HWND window);
void ResumeDisplay(HWND window);

// Copies the 240 x 320 picture to the display, laid out by the display's
// pitches. A surface of another shape is not copied.
void Present(const Surface& surface);
// Copies the w x h rectangle at (x, y) to the same place; the part outside
// the surface or the frame is left out.
void PresentRect(const Surface& surface, int x, int y, int w, int h);
