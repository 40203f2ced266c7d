// Whole pictures of the machine, compared with reviewed golden images.
#include <gtest/gtest.h>

#include "game/holds.h"
#include "gfx/display.h"
#include "shell/program.h"
#include "shell/window.h"
#include "tests/machine_fixture.h"

namespace {

struct Pictures : MachineTest {
    void NewGame() {
        Start(1000000);
        Reset(m);
        SetReels(m, 3, 6, 7, 5);
        RedrawAll(m);
        Present(m.screen);
        Pump(10);
    }
};

TEST_F(Pictures, TheMachineAfterResetWithAHeldReelNudgesOfferedAndAPrizeWaiting) {
    NewGame();
    ExpectGolden("machine_reset", headless::Frame());
    EXPECT_EQ(headless::Frame(), Screen());

    NewGame();
    m.credit = 5;
    m.cash = 20;
    m.holdOffer = 1;
    UpdateButtons(m);
    TapButton(CMD_HOLD2);
    Pump(100);
    ASSERT_EQ(m.reels.reel[1].held, 1);
    ExpectGolden("machine_held", Screen());

    NewGame();
    m.credit = 3;
    m.cash = 12;
    m.nudges = 4;
    m.featureCount = 9;
    m.featureHold = 1;
    RedrawAll(m);
    ExpectGolden("machine_nudges", Screen());

    NewGame();
    m.credit = 7;
    m.cash = 8;
    m.bank = 1234;
    m.prize = 50;
    m.featureCount = 17;
    RedrawAll(m);
    ExpectGolden("machine_prize", Screen());
}

}  // namespace
