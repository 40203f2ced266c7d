// The gamble ladder played through the machine's GAMBLE button, with taps
// placed against the lights as a player would place them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "game/gamble_ladder.h"
#include "game/holds.h"
#include "platform/platform.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/window.h"
#include "tests/machine_fixture.h"
#include "tests/support.h"

namespace {

constexpr int CLIMB_X = 120, CLIMB_Y = 280;
constexpr int COLLECT_X = 200, COLLECT_Y = 280;

struct Ladder : MachineTest {
    // Looks every 2 ms of virtual time for the moment when, on the ladder,
    // ready() holds, and then acts.
    void When(std::function<bool()> ready, std::function<void()> act) {
        After(2, [this, ready, act] {
            if (std::string(ShownScreen.name) == "ladder" && ready()) act();
            else When(ready, act);
        });
    }
    // Climbs on the next lit upper rung, n times in a row.
    void Climbs(int n, std::function<void()> then = [] {}) {
        if (n == 0) {
            then();
            return;
        }
        When([] { return ShownScreen.phase == 1; },
             [this, n, then] {
                 const int rung = ShownScreen.rung;
                 headless::Tap(CLIMB_X, CLIMB_Y);
                 // The next climb waits until this one has been taken.
                 When([rung] { return ShownScreen.rung == rung + 1 && ShownScreen.phase == 0; },
                      [this, n, then] { Climbs(n - 1, then); });
             });
    }
    void Offer(int32_t stake) {
        Reset(m);
        m.prize = stake;
        RedrawAll(m);
    }
    void Gamble() {
        TapButton(CMD_GAMBLE);
        Pump(30000);
    }
};

// A tap while the own rung is lit loses the stake; so does a quick second
// tap in the rest of the frame after a good climb.
TEST_F(Ladder, ATapOnTheOwnRungOrAQuickDoubleTapLosesTheStake) {
    Offer(30);
    const size_t sounds = headless::Sounds().size();
    When([] { return true; }, [] { headless::Tap(CLIMB_X, CLIMB_Y); });  // the very first frame
    Gamble();
    EXPECT_EQ(m.prize + m.bank + m.score, 0);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "fail.wav"}));
    EXPECT_STREQ(ShownScreen.name, "machine");
    EXPECT_FALSE(Enabled(CMD_GAMBLE));

    Offer(10);
    When([] { return ShownScreen.phase == 1; }, [this] {
        headless::Tap(CLIMB_X, CLIMB_Y);
        After(30, [] { headless::Tap(CLIMB_X, CLIMB_Y); });
    });
    Gamble();
    EXPECT_EQ(m.prize + m.bank, 0);
}

// The last money of a game lost on the ladder ends the game, as a losing
// spin would, so the machine is not left with every button dead; but a lit
// RANDOM is a free spin, and the game goes on for it.
TEST_F(Ladder, LosingTheLastMoneyEndsTheGameUnlessRandomIsLit) {
    for (const int32_t features : {14, 15}) {
        Offer(30);
        m.cash = 0;
        m.featureCount = features;
        RedrawAll(m);
        std::string asked;
        When([] { return true; }, [] { headless::Tap(CLIMB_X, CLIMB_Y); });
        std::function<void()> answer = [&] {
            if (std::string(ShownScreen.name) == "ladder") return After(20, answer);
            if (std::string(ShownScreen.name) != "prompt") return;
            asked = ShownScreen.title;
            headless::Tap(60, 300);  // Play Again
        };
        After(20, answer);
        Gamble();
        if (features < 15) {
            EXPECT_EQ(asked, "GAME OVER");
            EXPECT_EQ(m.cash, 25);
            EXPECT_TRUE(Enabled(CMD_COIN));
        } else {
            EXPECT_EQ(asked, "");
            EXPECT_STREQ(ShownScreen.name, "machine");
            EXPECT_TRUE(Enabled(CMD_RANDOM));
        }
    }
}

TEST_F(Ladder, SevenClimbsPayAHundredAndTwentyEightTimesTheStake) {
    Offer(3);
    const size_t sounds = headless::Sounds().size();
    Climbs(7);
    Gamble();
    EXPECT_EQ(m.prize, 0);
    EXPECT_EQ(m.bank, 3 * 128);
    EXPECT_EQ(m.score, 3 * 128);
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "win.wav", "cashreg.wav"}));
}

// Collect banks the value held, as the state line reports it; before any
// climb that is the stake. A tap beside both buttons changes nothing.
TEST_F(Ladder, CollectKeepsTheValueHeldAndBanksIt) {
    std::string shown;
    auto collect = [&shown] {
        shown = std::string(ShownScreen.name) + " " + std::to_string(ShownScreen.rung) + " " +
                std::to_string(ShownScreen.value);
        headless::Tap(COLLECT_X, COLLECT_Y);
    };
    Offer(20);
    Climbs(2, [&] { When([] { return true; }, collect); });
    Gamble();
    EXPECT_EQ(shown, "ladder 2 80");
    EXPECT_EQ(m.bank, 80);
    EXPECT_EQ(m.score, 80);

    Offer(20);
    When([] { return true; }, [&, this] {
        headless::Tap(40, 40);
        After(500, collect);
    });
    Gamble();
    EXPECT_EQ(shown, "ladder 0 20");
    EXPECT_EQ(m.bank, 20);
    EXPECT_STREQ(ShownScreen.name, "machine");
}

TEST_F(Ladder, TheLightsAlternateFasterWithEveryClimbAndStopWhileTheStylusIsHeld) {
    Offer(10);
    std::vector<std::pair<uint64_t, int>> flips;  // when the phase changed, and to what
    int lastPhase = -1, lastRung = -1;
    std::function<void()> watch = [&] {
        if (std::string(ShownScreen.name) == "ladder" &&
            (ShownScreen.phase != lastPhase || ShownScreen.rung != lastRung)) {
            flips.push_back({headless::NowUs(), ShownScreen.rung * 2 + ShownScreen.phase});
            lastPhase = ShownScreen.phase;
            lastRung = ShownScreen.rung;
        }
        if (std::string(ShownScreen.name) == "ladder" || flips.empty()) After(1, watch);
    };
    After(1, watch);
    Climbs(2, [this] {
        // On rung 2: let it alternate, then hold the stylus down beside the
        // buttons for a second, then collect.
        After(700, [this] {
            headless::StylusDown(40, 40);
            After(1000, [this] {
                headless::StylusUp();
                After(500, [] { headless::Tap(COLLECT_X, COLLECT_Y); });
            });
        });
    });
    Gamble();
    ASSERT_GE(flips.size(), 8u);
    // Between two flips on one rung: the frame time of that rung (200 ms
    // before any climb, 160 ms after two); never more, except while held.
    bool heldGapSeen = false;
    for (size_t i = 1; i < flips.size(); ++i) {
        const int rung = flips[i - 1].second / 2;
        if (flips[i].second / 2 != rung) continue;
        const uint64_t gap = flips[i].first - flips[i - 1].first;
        const uint64_t frame = (200 - 20 * rung) * 1000ull;
        if (gap > frame + 3000) {
            // The held stylus: one long frame lasting until it was lifted.
            EXPECT_EQ(rung, 2);
            EXPECT_GE(gap, 900000u);
            heldGapSeen = true;
        } else {
            EXPECT_NEAR(static_cast<double>(gap), static_cast<double>(frame), 3000.0) << "rung " << rung;
        }
    }
    EXPECT_TRUE(heldGapSeen);
    EXPECT_EQ(m.bank, 40);
}

TEST_F(Ladder, AStylusHeldAsTheWindowLosesTheFocusCountsAsLifted) {
    Offer(10);
    When([] { return true; }, [this] {
        headless::StylusDown(40, 40);
        After(300, [this] {
            headless::SetActive(false);
            After(1000, [] { headless::Tap(COLLECT_X, COLLECT_Y); });
        });
    });
    Gamble();
    EXPECT_EQ(m.bank, 10);
}

TEST_F(Ladder, ACloseRequestCollectsAndThenClosesTheProgram) {
    Offer(25);
    Climbs(1, [this] { After(50, [] { PlatformRequestClose(); }); });
    Gamble();
    EXPECT_EQ(m.bank, 50);
    EXPECT_EQ(m.score, 50);
    EXPECT_TRUE(windowGone);
}

// Without its pictures, or with one of the wrong size, the ladder hands the
// stake back, to be banked, and stops its looping sound. Run in a copy of
// this test program with its ladder pictures so spoilt beside it.
TEST_F(Ladder, MissingOrWrongPicturesReturnTheStake) {
    if (!std::getenv("VANTARO_LADDER_WITHOUT_PICTURES")) {
        const std::string folder = MakeTempFolder();
        mkdir((folder + "/Images").c_str(), 0755);
        const std::string self = folder + "/tests";
        char exe[4096] = {};
        ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
        WriteFile(self, ReadFile(exe));
        chmod(self.c_str(), 0755);
        // The picture spoilt, and what stands in its place (nothing: missing).
        const std::pair<std::string, const char*> rows[] = {
            {"climb.bmp", nullptr}, {"btns.bmp", nullptr}, {"climb.bmp", "btns.bmp"}};
        for (const auto& [spoilt, standIn] : rows) {
            for (const std::string name : {"climb.bmp", "btns.bmp"}) {
                std::remove((folder + "/Images/" + name).c_str());
                const char* from = name != spoilt ? name.c_str() : standIn;
                if (from)
                    WriteFile(folder + "/Images/" + name,
                              ReadFile(std::string(VANTARO_SOURCE_DIR) + "/Images/" + from));
            }
            // A ladder played after all would wait for ever for a tap.
            RunResult r = ::Run({self, "--gtest_filter=Ladder.MissingOrWrongPicturesReturnTheStake"},
                                {"VANTARO_LADDER_WITHOUT_PICTURES=1"}, 60);
            EXPECT_EQ(r.status, 0) << spoilt << " " << (standIn ? standIn : "missing") << "\n" << r.out << r.err;
            EXPECT_NE(r.out.find("[  PASSED  ] 1 test"), std::string::npos) << r.out;
        }
        return;
    }
    Offer(40);
    const size_t sounds = headless::Sounds().size();
    const uint16_t corner = m.screen.pixels[0];
    Gamble();
    EXPECT_EQ(m.prize, 0);
    EXPECT_EQ(m.bank, 40);
    EXPECT_EQ(m.score, 40);
    // The loop was started and stopped at once; then the banking's sound.
    const auto& log = headless::Sounds();
    ASSERT_GE(log.size(), sounds + 2);
    EXPECT_EQ(log[sounds].file, "nudge.wav");
    EXPECT_EQ(log[sounds + 1].outcome, "stop");
    EXPECT_EQ(SoundsSince(sounds), (std::vector<std::string>{"nudge.wav", "cashreg.wav"}));
    EXPECT_EQ(m.screen.pixels[0], corner);
}

TEST_F(Ladder, PicturesOfTheFirstFrameAndAfterTwoClimbs) {
    Offer(25);
    std::vector<uint16_t> first, climbed;
    When([] { return true; }, [&] { first = headless::Frame(); });
    Climbs(2, [&] {
        climbed = headless::Frame();
        headless::Tap(COLLECT_X, COLLECT_Y);
    });
    Gamble();
    ExpectGolden("ladder_first", first);
    ExpectGolden("ladder_two_climbs", climbed);
}

}  // namespace
