// The machine as the game runs it, in-process on the headless platform: the
// real pictures, the main window with its nine buttons, and a message loop
// like the game's, with scripted input at chosen moments. Includes what the
// tests of the running game share.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/holds.h"
#include "game/machine.h"
#include "platform/headless/headless.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/window.h"
#include "tests/support.h"

struct MachineTest : ::testing::Test {
    Machine& m;
    HWND hwnd = nullptr;

    MachineTest();
    void SetUp() override { Start(1000000); }
    void TearDown() override;
    // A fresh platform with the clock at startTick, the pictures loaded and
    // the main window created (which resets the drawing, not the counters:
    // call Reset for a new game).
    void Start(uint32_t startTick);
    // Start at the usual moment, then a new game, changed by setUp and drawn.
    void NewGame(const std::function<void(Machine&)>& setUp = nullptr);

    // Runs the game's message loop (accelerators included) for ms of
    // virtual time, or until the window is gone.
    void Pump(uint32_t ms);
    // Input (or anything else) at a virtual moment, carried out when the
    // game next looks at its input, wherever it is.
    void At(uint64_t us, std::function<void()> action);
    void After(uint32_t ms, std::function<void()> action) { At(headless::NowUs() + ms * 1000ull, std::move(action)); }

    // The centre of the button with that command id.
    POINT Centre(int id) const;
    void TapButton(int id);
    bool Enabled(int id) const;
    std::string Label(int id) const;
    // The sound files played or looped since the sound log had n entries.
    std::vector<std::string> SoundsSince(size_t n) const;
    std::vector<uint16_t> Screen() const;

    bool windowGone = false;

  private:
    struct Pending {
        uint64_t us;
        std::function<void()> action;
    };
    std::vector<Pending> pending;
    headless::Driver driver{};
    static void Look(void* self);
    static uint64_t NextDue(void* self);
};

// Puts the reels at rest on these strip positions.
void SetReels(Machine& m, int p0, int p1, int p2, int p3);

// Compares a 240 x 320 picture with tests/golden/NAME.png, exactly. With
// VANTARO_REWRITE_GOLDEN=1 in the environment the file is written instead,
// to be looked at before it is committed.
void ExpectGolden(const std::string& name, const std::vector<uint16_t>& picture);
