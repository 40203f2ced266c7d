#include "gfx/delay.h"

#include "platform/winapi/kernel.h"

static DWORD StartTick;

DWORD StartTimer() {
    StartTick = GetTickCount();
    return StartTick;
}

DWORD ElapsedMs() { return GetTickCount() - StartTick; }

DWORD Delay(DWORD ms) {
    StartTimer();
    DWORD elapsed;
    while ((elapsed = ElapsedMs()) < ms) PlatformPause(ms - elapsed);
    return elapsed;
}
