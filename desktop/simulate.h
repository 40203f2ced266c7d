// Whole games played headless by a simulated player, for the figures of
// `vantaro --simulate`: the real game runs through WinMain on the headless
// platform, unchanged, usually with drawing switched off; the player reads
// the machine and the screen it shows and taps buttons as a person would,
// but only when the game waits for input (the gamble ladder, which polls,
// it plays in the looks at the queue). After every spin it checks the
// machine's invariants.
//
// The player, by strategy:
//   collect  inserts a coin whenever there is no credit and cash remains,
//            and spins; takes every nudge, on reels 1, 2, 3, 4, 1, ... in
//            turn from the first of each offer; at a hold offer holds reel 1
//            and every reel that shows reel 1's symbol (nothing when none
//            does); banks every prize (COLLECT) and presses COLLECT whenever
//            the bank holds money, so that it goes to cash. It presses
//            RANDOM only when it is the one button left (a gamble lost with
//            the last money): its free wins make the machine pay more than
//            it takes, and a game would then often never run out of money.
//   gamble   the same, but takes every prize offered for the gamble to the
//            ladder, climbs GAMBLE_CLIMBS rungs (a tap while the next rung is
//            lit) and collects. One rung: with two the machine again pays
//            more than it takes.
// At "Save High Score?" it answers No; at GAME OVER Play Again until the
// games are played, then Exit Game.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "game/machine.h"

constexpr int32_t SIMULATE_GAMES_MAX = 1000000;
constexpr int32_t GAMBLE_CLIMBS = 1;
// A game that has not ended after this many spins is taken as endless (the
// longest of 100,000 games had 6,843 spins with collect, 19,291 with gamble).
constexpr int32_t GAME_SPINS_MAX = 1000000;

enum class Strategy { Collect, Gamble };
bool StrategyByName(const std::string& name, Strategy* strategy);
const char* StrategyName(Strategy strategy);

struct SimulationSettings {
    int32_t games = 1;
    Strategy strategy = Strategy::Collect;
    bool drawing = false;   // draw every frame, as in play
    bool progress = false;  // a progress bar on stderr
};

struct GameRecord {
    int32_t score = 0;        // prizes banked, in units
    int32_t spins = 0;        // each stakes one credit
    int32_t gambles = 0;      // prizes taken to the ladder
    int32_t gambleLosses = 0;
    int64_t gambled = 0;      // the stakes taken to the ladder
    int64_t gambleWins = 0;   // what the ladder gave back
    uint64_t startUs = 0;     // virtual time of the game's first wait at the machine
    uint64_t endUs = 0;       // and of GAME OVER
};

struct SimulationResult {
    std::vector<GameRecord> games;  // in the order played
    std::string failure;            // why the simulation stopped early; empty when it did not
    int status = 0;                 // what WinMain returned
};

// Plays the games on the headless platform, which must be selected and
// brought up (PlatformInit) with the virtual clock at the starting tick: a
// new game at the current tick, then WinMain until the player exits. The
// present and sound logs are off meanwhile. 1 when every game was played
// with every invariant holding; 0 with result->failure saying what broke.
int Simulate(const SimulationSettings& settings, SimulationResult* result);

// The invariants of a machine at rest, with `staked` credits staked in the
// game so far: counters in range, no money negative, the reels at rest on a
// strip position, and the money conserved, cash + credit + bank + staked =
// 25 + score. Empty when they hold, else what broke.
std::string CheckMachine(const Machine& machine, int32_t staked);

// The figures of a finished simulation, as --simulate prints them.
std::string SimulationText(const SimulationSettings& settings, uint32_t seed, const SimulationResult& result,
                           double seconds);
