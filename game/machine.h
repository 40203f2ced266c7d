// The one game object: the main window, the back buffer every frame is
// drawn into, the reels and the money of the game in progress.
//
// Money is counted in whole units of ten pence, shown as pounds and pence.
// One unit of cash buys one credit; a credit pays one spin.
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/reels.h"
#include "gfx/surface.h"
#include "shell/panel.h"
#include "platform/winapi/win.h"

struct Machine {
    HWND window = nullptr;
    Surface screen;  // the 240 x 320 back buffer, created when the display opens
    ReelSet reels;
    ButtonPanel buttons;       // the nine buttons, laid out with the window
    int32_t credit = 0;        // paid spins, 0..99
    int32_t bank = 0;          // banked winnings, waiting to be collected
    int32_t prize = 0;         // the current win, not yet banked or gambled
    int32_t nudges = 0;        // 0..5
    int32_t cash = 0;          // the player's purse
    int32_t featureCount = 0;  // RANDOM is enabled at 15 or more
    int32_t score = 0;         // total of all prizes banked in this game
    int32_t featureHold = 0;   // the feature count survives the next spin
    int32_t holdOffer = 0;     // holds offered for the next spin

    Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
};

// A new game: the random generator seeded from the tick count, 25 units of
// cash and every other counter 0. The reels stay where they are.
void Reset(Machine& machine);
// Draws the whole machine into the back buffer; presents nothing.
void RedrawAll(Machine& machine);
// Prize, bank, cash, credit and nudges all spent.
bool IsOutOfMoney(const Machine& machine);

// Money as pounds and pence in six characters, the width of a money
// display: "%3d.%02d" below 1000 pounds (25 units read "  2.50"), then one
// digit of pence ("2560.0"), then whole pounds ("12345.", "123456"); from a
// million pounds on, "999999".
void FormatMoney(char* text, size_t size, int32_t units);
