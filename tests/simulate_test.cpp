// Whole games played by the simulated player through the real program:
// drawing switched off changes nothing but the pictures, the invariants hold
// game after game, a broken one stops the run, and the command line.
#include <gtest/gtest.h>

#include <csignal>

#include "gfx/surface.h"
#include "platform/headless.h"
#include "shell/program.h"
#include "desktop/script.h"
#include "desktop/simulate.h"
#include "tests/machine_fixture.h"
#include "tests/support.h"

namespace {

const std::string Game = VANTARO_GAME;

std::string Describe(const GameRecord& g) {
    return std::to_string(g.score) + " " + std::to_string(g.spins) + " " + std::to_string(g.gambles) + " " +
           std::to_string(g.gambleLosses) + " " + std::to_string(g.gambled) + " " + std::to_string(g.gambleWins) +
           " " + std::to_string(g.startUs) + "-" + std::to_string(g.endUs);
}

struct Outcome {
    std::vector<std::string> games;
    std::string machine;  // the machine's state line at the end
    uint64_t us = 0, presents = 0, sounds = 0;
    bool framesDrawn = false;
};

// A fresh program's start: the clock at the seed, the reels where the
// program's first draws put them.
Outcome Play(Strategy strategy, bool drawing, int32_t games, uint32_t seed, SimulationResult* result) {
    StartHeadless(seed);
    SetReels(TheMachine, 3, 6, 7, 5);
    // Whether any present showed the middle of reel 1, white or a symbol.
    static bool drawn;
    drawn = false;
    headless::SetPresentWatcher(
        [](void*) { drawn = drawn || headless::FrameMemory()[headless::FrameBaseOffset() + 2 * (85 * 240 + 33)]; },
        nullptr);
    SimulationSettings settings;
    settings.games = games;
    settings.strategy = strategy;
    settings.drawing = drawing;
    EXPECT_EQ(Simulate(settings, result), 1) << result->failure;
    Outcome o;
    for (const GameRecord& g : result->games) o.games.push_back(Describe(g));
    o.machine = MachineStateJson(TheMachine);
    o.us = headless::NowUs();
    o.presents = headless::PresentCount();
    o.sounds = headless::SoundCount();
    o.framesDrawn = drawn;
    headless::SetPresentWatcher(nullptr, nullptr);
    return o;
}

TEST(Simulation, DrawingOffPlaysExactlyTheGamesDrawingOnPlays) {
    for (Strategy strategy : {Strategy::Collect, Strategy::Gamble}) {
        SimulationResult off, on;
        const Outcome a = Play(strategy, false, 3, 4242, &off);
        const Outcome b = Play(strategy, true, 3, 4242, &on);
        EXPECT_EQ(a.games, b.games) << StrategyName(strategy);
        EXPECT_EQ(a.machine, b.machine);
        EXPECT_EQ(a.us, b.us);
        EXPECT_EQ(a.presents, b.presents);
        EXPECT_EQ(a.sounds, b.sounds);
        EXPECT_FALSE(a.framesDrawn);  // the switch did switch
        EXPECT_TRUE(b.framesDrawn);
        EXPECT_FALSE(DrawingOff);
        int gambles = 0;
        for (const GameRecord& g : on.games) gambles += g.gambles;
        EXPECT_EQ(gambles > 0, strategy == Strategy::Gamble);
    }
}

TEST(Simulation, ManyGamesEndWithTheMoneyAccountedFor) {
    for (Strategy strategy : {Strategy::Collect, Strategy::Gamble}) {
        SimulationResult result;
        const Outcome o = Play(strategy, false, 25, 99, &result);
        ASSERT_EQ(result.games.size(), 25u);
        for (const GameRecord& g : result.games) {
            // Out of money at GAME OVER: every credit staked was the starting
            // cash or a prize banked.
            EXPECT_EQ(g.spins, 25 + g.score);
            EXPECT_GT(g.endUs, g.startUs);
            // One rung climbed every time: each stake doubled.
            EXPECT_EQ(g.gambleLosses, 0);
            EXPECT_EQ(g.gambleWins, 2 * g.gambled);
            if (strategy == Strategy::Collect) {
                EXPECT_EQ(g.gambles, 0);
            }
        }
        // The logs stayed empty; the counts went on.
        EXPECT_TRUE(headless::Presents().empty());
        EXPECT_TRUE(headless::Sounds().empty());
        EXPECT_GT(o.presents, 25u * 100);
    }
}

TEST(Simulation, BrokenInvariantStopsTheRunAndSaysWhat) {
    StartHeadless(7);
    // A unit of cash from nowhere, in the middle of a game.
    headless::SetPresentWatcher(
        [](void*) {
            if (headless::PresentCount() == 3000) TheMachine.cash += 1;
        },
        nullptr);
    SimulationSettings settings;
    settings.games = 50;
    SimulationResult result;
    EXPECT_EQ(Simulate(settings, &result), 0);
    EXPECT_NE(result.failure.find("cash + credit + bank + staked is"), std::string::npos) << result.failure;
    EXPECT_LT(result.games.size(), 50u);
    EXPECT_EQ(result.status, 0);  // the game closed as asked
    headless::SetPresentWatcher(nullptr, nullptr);
}

TEST(Simulation, ProgramPrintsTheFiguresAndLeavesNoFilesBehind) {
    const std::string data = MakeTempFolder(), temp = MakeTempFolder(), own = MakeTempFolder() + "/scores";
    const std::vector<std::string> env = {"VANTARO_DATA_DIR=" + data, "TMPDIR=" + temp};
    RunResult r = ::Run({Game, "--simulate", "4", "--strategy", "gamble", "--seed", "42"}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("4 games, strategy gamble, seed 42", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Return: prizes banked"), std::string::npos);
    EXPECT_EQ(r.err, "");  // no progress bar when stderr is not a terminal
    EXPECT_TRUE(ListFolder(data).empty());
    EXPECT_TRUE(ListFolder(temp).empty());
    // --data-dir names the folder, for a simulation as for play.
    r = ::Run({Game, "--simulate", "1", "--data-dir", own}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListFolder(own), std::vector<std::string>{"vantarohs.dat"});
    const std::string other = MakeTempFolder() + "/other";
    WriteFile(temp + "/play.txt", "");
    r = ::Run({Game, "--headless", "--script", temp + "/play.txt", "--data-dir", other}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListFolder(other), std::vector<std::string>{"vantarohs.dat"});
    EXPECT_TRUE(ListFolder(data).empty());
}

// Stopped from outside, a simulation shows what it played, says so, ends
// with 128 + the signal and leaves nothing behind.
TEST(Simulation, AnInterruptedRunShowsWhatItPlayedAndLeavesNothing) {
    const std::string temp = MakeTempFolder();
    for (const int signal : {SIGINT, SIGHUP}) {
        RunResult r = ::Run({Game, "--simulate", "1000000"}, {"TMPDIR=" + temp, "VANTARO_TRACE=1"}, 60,
                            "stylus down", signal);
        EXPECT_EQ(r.status, 128 + signal);
        EXPECT_NE(r.out.find(" games, strategy collect"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(signal == SIGINT ? "interrupted by SIGINT after" : "interrupted by SIGHUP after"),
                  std::string::npos);
        EXPECT_TRUE(ListFolder(temp).empty());
    }
}

TEST(Simulation, WrongCommandLinesNameTheOption) {
    const std::string data = MakeTempFolder();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--simulate"}, "--simulate"},          {{"--simulate", "0"}, "--simulate"},
        {{"--simulate", "1000001"}, "--simulate"}, {{"--seed", "5"}, "--seed"},
        {{"--strategy", "gamble"}, "--strategy"}, {{"--simulate", "2", "--strategy", "bold"}, "--strategy"},
        {{"--simulate", "2", "--seed", "x"}, "--seed"}, {{"--simulate", "2", "--start-tick", "5"}, "--start-tick"},
        {{"--simulate", "2", "--script", "a"}, "--script"}, {{"--odds", "--simulate", "2"}, "--odds"},
        {{"--data-dir"}, "--data-dir"},          {{"--data-dir", ""}, "--data-dir"},
        {{"--data-dir", "--mute"}, "--data-dir needs a folder"},
    };
    for (const auto& [args, named] : cases) {
        std::vector<std::string> argv = {Game};
        argv.insert(argv.end(), args.begin(), args.end());
        const RunResult r = ::Run(argv, {"VANTARO_DATA_DIR=" + data});
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err.rfind("vantaro: " + named, 0), 0u) << r.err;
    }
    EXPECT_TRUE(ListFolder(data).empty());
}

}  // namespace
