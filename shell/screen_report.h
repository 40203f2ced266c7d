// Which screen the player sees, for the automation's state line. Each
// screen names itself while it is up and gives the machine back as it ends.
#pragma once
#include <cstdint>

struct ScreenReport {
    const char* name = "machine";  // "machine", "ladder", "about", ...
    // The gamble ladder's current rung, phase and the value held.
    int32_t rung = 0;
    int32_t phase = 0;
    int32_t value = 0;
};

extern ScreenReport ShownScreen;
