// Which screen the player sees, for the automation's state line. Each
// screen names itself while it is up and gives the machine back as it ends.
#pragma once
#include <cstdint>
#include <string>

#include "game/machine.h"

struct ScreenReport {
    // "machine", "ladder", "about", "splash", "prompt", "table", "paytable"
    // or "names".
    const char* name = "machine";
    // The gamble ladder: the rung stood on, the phase of its lights and the
    // value held.
    int32_t rung = 0;
    int32_t phase = 0;
    int32_t value = 0;
    // A prompt's title.
    const char* title = "";
    // Name entry: the name so far and the letter shown (0 for A).
    const char* entered = "";
    int32_t letter = 0;
};

extern ScreenReport ShownScreen;

// Shows a screen by name, clearing what the last one reported.
void ReportScreen(const char* name);

// The machine's counters and reels and the screen shown, as one line of
// JSON: what a script's "state" line writes (see docs/automation.md).
std::string MachineStateJson(const Machine& machine);
