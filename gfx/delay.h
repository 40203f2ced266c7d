// A millisecond stopwatch and the busy delay that animations wait with.
#pragma once
#include "platform/winapi/win.h"

// Restarts the stopwatch (shared by the whole program: a Delay restarts it
// too) and returns the tick it started at.
DWORD StartTimer();
// Milliseconds since StartTimer, correct across the tick counter's wrap.
DWORD ElapsedMs();
// Waits ms milliseconds without handling any message; returns the elapsed
// time it saw last. Window-system events that come in meanwhile wait in the
// queue; the wait sleeps rather than spins.
DWORD Delay(DWORD ms);
