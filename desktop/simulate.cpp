#include "desktop/simulate.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gfx/surface.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/winapi/kernel.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "desktop/script.h"
#include "shell/window.h"
#include "shell/winmain.h"

namespace {

// Where the player taps outside the machine's own panel: the two answers of
// a prompt (buttons at y 290, 10-110 and 130-230) and the ladder's CLIMB
// (80,240-160,320) and COLLECT (160,240-240,320).
constexpr POINT FirstAnswer = {60, 300};
constexpr POINT SecondAnswer = {180, 300};
constexpr POINT LadderClimb = {120, 280};
constexpr POINT LadderCollect = {200, 280};
constexpr int PROGRESS_CELLS = 40;
constexpr int32_t STARTING_CASH = 25;  // what Reset gives a new game

struct Player {
    SimulationSettings settings;
    SimulationResult* result = nullptr;
    Machine* machine = nullptr;
    bool inGame = false;
    GameRecord game;
    int32_t lastScore = 0;
    int nextNudge = 0;  // the reel the next nudge of this offer goes to
    // From the tap on GAMBLE until the machine is back.
    bool gambling = false;
    int32_t gambleStake = 0;
    int32_t scoreBeforeGamble = 0;
    bool sawOwnRungLit = false;  // since the last climb; only then may a lit next rung be climbed
    bool ladderLeft = false;     // COLLECT tapped on the ladder
    bool stopping = false;       // something broke: the game has been asked to close
    int progressCells = -1;
};

Player ThePlayer;

void DrawProgress(Player& p) {
    const int32_t done = static_cast<int32_t>(p.result->games.size());
    const int cells = static_cast<int>(static_cast<int64_t>(done) * PROGRESS_CELLS / p.settings.games);
    if (cells == p.progressCells && done != p.settings.games) return;
    p.progressCells = cells;
    char bar[PROGRESS_CELLS + 1];
    for (int i = 0; i < PROGRESS_CELLS; ++i) bar[i] = i < cells ? '#' : '.';
    bar[PROGRESS_CELLS] = 0;
    std::fprintf(stderr, "\r[%s] %d/%d games", bar, static_cast<int>(done), static_cast<int>(p.settings.games));
    if (done == p.settings.games) std::fputc('\n', stderr);
    std::fflush(stderr);
}

// Stops the simulation: the reason is kept and the game is asked to close,
// as the window's close button would.
bool Fail(Player& p, const std::string& what) {
    if (!p.stopping) {
        p.result->failure = "game " + std::to_string(p.result->games.size() + 1) + ", spin " +
                            std::to_string(p.game.spins) + ": " + what + "; the machine: " +
                            MachineStateJson(*p.machine);
        p.stopping = true;
        PlatformRequestClose();
    }
    return true;
}

bool Tap(POINT point) {
    headless::Tap(point.x, point.y);
    return true;
}

// Taps the centre of one of the machine's buttons, which must be lit.
bool Press(Player& p, int command) {
    const ButtonPanel& panel = p.machine->buttons;
    const int n = PanelFind(panel, command);
    if (!n) return Fail(p, "the machine has no button " + std::to_string(command));
    const PanelButton& b = panel.button[n - 1];
    if (!PanelIsLit(panel, command))
        return Fail(p, std::string("the player wants ") + b.label + " (button " + std::to_string(command) +
                           "), which is not lit");
    return Tap({(b.rect.left + b.rect.right) / 2, (b.rect.top + b.rect.bottom) / 2});
}

// The invariants, after whatever the last tap did; false (and stopping)
// when one broke.
bool Checked(Player& p) {
    std::string broken = CheckMachine(*p.machine, p.game.spins);
    if (broken.empty() && p.machine->score < p.lastScore)
        broken = "the score fell from " + std::to_string(p.lastScore) + " to " + std::to_string(p.machine->score);
    if (broken.empty() && p.game.spins > GAME_SPINS_MAX)
        broken = "the game has not ended after " + std::to_string(GAME_SPINS_MAX) + " spins";
    if (!broken.empty()) {
        Fail(p, broken);
        return false;
    }
    p.lastScore = p.machine->score;
    return true;
}

// The hold offer's wish for one reel: reel 1 and every reel showing reel
// 1's symbol, when at least one other reel does.
bool WantHeld(const Machine& m, int reel) {
    const uint8_t first = SymbolAt(0, m.reels.reel[0].position);
    int matching = 0;
    for (int i = 1; i < REEL_COUNT; ++i) matching += SymbolAt(i, m.reels.reel[i].position) == first;
    if (!matching) return false;
    return reel == 0 || SymbolAt(reel, m.reels.reel[reel].position) == first;
}

bool AtMachine(Player& p) {
    Machine& m = *p.machine;
    if (!p.inGame) {
        p.inGame = true;
        p.game = GameRecord();
        p.game.startUs = headless::NowUs();
        p.lastScore = m.score;
    }
    if (p.gambling) {
        // Back from the ladder: what it gave has been banked.
        p.gambling = false;
        const int32_t back = m.score - p.scoreBeforeGamble;
        p.game.gambled += p.gambleStake;
        p.game.gambleWins += back;
        p.game.gambleLosses += back == 0;
    }
    if (!Checked(p)) return true;
    if (m.prize) {
        if (p.settings.strategy == Strategy::Collect) return Press(p, CMD_COLLECT);
        p.gambling = true;
        p.gambleStake = m.prize;
        p.scoreBeforeGamble = m.score;
        p.sawOwnRungLit = false;
        p.ladderLeft = false;
        p.game.gambles += 1;
        return Press(p, CMD_GAMBLE);
    }
    if (m.nudges) {
        const int reel = p.nextNudge;
        p.nextNudge = (p.nextNudge + 1) % REEL_COUNT;
        return Press(p, CMD_HOLD1 + reel);
    }
    p.nextNudge = 0;
    if (m.bank) return Press(p, CMD_COLLECT);
    if (m.holdOffer)
        for (int i = 0; i < REEL_COUNT; ++i)
            if ((m.reels.reel[i].held != 0) != WantHeld(m, i)) return Press(p, CMD_HOLD1 + i);
    if (m.credit == 0 && m.cash) return Press(p, CMD_COIN);
    if (m.credit) {
        p.game.spins += 1;
        return Press(p, CMD_SPIN);
    }
    // A gamble lost with the last money leaves a lit RANDOM the one button.
    if (PanelIsLit(m.buttons, CMD_RANDOM)) return Press(p, CMD_RANDOM);
    return Fail(p, "the machine waits with nothing the player can do");
}

bool AtPrompt(Player& p) {
    const std::string title = ShownScreen.title;
    if (!Checked(p)) return true;
    if (title == "Save High Score?") return Tap(SecondAnswer);  // No
    if (title != "GAME OVER") return Fail(p, "the game asks \"" + title + "\", which the player never brings up");
    if (p.inGame) {
        if (!IsOutOfMoney(*p.machine)) return Fail(p, "GAME OVER with money left");
        p.inGame = false;
        p.game.score = p.machine->score;
        p.game.endUs = headless::NowUs();
        p.result->games.push_back(p.game);
        p.game = GameRecord();
        if (p.settings.progress) DrawProgress(p);
    }
    const bool more = static_cast<int32_t>(p.result->games.size()) < p.settings.games;
    return Tap(more ? FirstAnswer : SecondAnswer);  // Play Again or Exit Game
}

bool Idle(void*) {
    Player& p = ThePlayer;
    if (p.stopping) return false;
    const std::string screen = ShownScreen.name;
    if (screen == "machine") return AtMachine(p);
    if (screen == "prompt") return AtPrompt(p);
    return Fail(p, "the game waits on the " + screen + " screen, which the player never brings up");
}

// The ladder polls its queue through every frame; the player taps CLIMB in
// the first look of a frame that lights the next rung (a tap is judged
// against the lights of the frame that takes it), but only once it has seen
// its own rung lit since the last climb: a climb reports the next rung lit
// until the frame ends.
void Look(void*) {
    Player& p = ThePlayer;
    if (p.stopping || !p.gambling || p.ladderLeft || std::strcmp(ShownScreen.name, "ladder") != 0) return;
    if (ShownScreen.rung >= GAMBLE_CLIMBS) {
        p.ladderLeft = true;
        Tap(LadderCollect);
    } else if (ShownScreen.phase == 0) {
        p.sawOwnRungLit = true;
    } else if (p.sawOwnRungLit) {
        p.sawOwnRungLit = false;
        Tap(LadderClimb);
    }
}

uint64_t NextDue(void*) { return UINT64_MAX; }

const headless::Driver PlayerDriver = {nullptr, Look, NextDue, Idle};

struct Spread {
    double mean = 0, sd = 0, min = 0, max = 0;
};

template <typename F>
Spread SpreadOf(const std::vector<GameRecord>& games, F value) {
    Spread s;
    if (games.empty()) return s;
    s.min = s.max = value(games[0]);
    double sum = 0;
    for (const GameRecord& g : games) {
        const double v = value(g);
        sum += v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    }
    s.mean = sum / static_cast<double>(games.size());
    if (games.size() > 1) {
        double squares = 0;
        for (const GameRecord& g : games) squares += (value(g) - s.mean) * (value(g) - s.mean);
        s.sd = std::sqrt(squares / static_cast<double>(games.size() - 1));
    }
    return s;
}

}  // namespace

bool StrategyByName(const std::string& name, Strategy* strategy) {
    if (name == "collect") *strategy = Strategy::Collect;
    else if (name == "gamble") *strategy = Strategy::Gamble;
    else return false;
    return true;
}

const char* StrategyName(Strategy strategy) { return strategy == Strategy::Gamble ? "gamble" : "collect"; }

std::string CheckMachine(const Machine& m, int32_t staked) {
    auto range = [](const char* name, int32_t value, int32_t lo, int32_t hi) {
        if (value >= lo && value <= hi) return std::string();
        return std::string(name) + " is " + std::to_string(value) + ", outside " + std::to_string(lo) + ".." +
               std::to_string(hi);
    };
    std::string broken;
    for (const std::string& b : {range("credit", m.credit, 0, 99), range("nudges", m.nudges, 0, 5),
                                 range("cash", m.cash, 0, INT32_MAX), range("bank", m.bank, 0, INT32_MAX),
                                 range("prize", m.prize, 0, INT32_MAX), range("score", m.score, 0, INT32_MAX),
                                 range("the feature count", m.featureCount, 0, INT32_MAX),
                                 range("the feature hold", m.featureHold, 0, 1),
                                 range("the hold offer", m.holdOffer, 0, 1)})
        if (broken.empty()) broken = b;
    for (int i = 0; i < REEL_COUNT && broken.empty(); ++i) {
        const Reel& r = m.reels.reel[i];
        const std::string reel = "reel " + std::to_string(i + 1) + "'s ";
        broken = range((reel + "position").c_str(), r.position, 0, STRIP_LENGTH - 1);
        if (broken.empty()) broken = range((reel + "offset at rest").c_str(), r.offset, 0, 0);
        if (broken.empty()) broken = range((reel + "hold").c_str(), r.held, 0, 1);
    }
    if (!broken.empty()) return broken;
    // Money comes into a game only as its starting cash and as prizes;
    // Coin moves cash to credit, a plain spin stakes a credit, a prize goes
    // to the bank (and the score) whole or as the ladder leaves it, COLLECT
    // moves the bank to cash. So cash + credit + bank + prize = 25 - staked
    // + score + prize, whatever is waiting in prize.
    const int64_t held = static_cast<int64_t>(m.cash) + m.credit + m.bank + staked;
    const int64_t owed = STARTING_CASH + static_cast<int64_t>(m.score);
    if (held != owed)
        return "cash + credit + bank + staked is " + std::to_string(held) + " (" + std::to_string(m.cash) + " + " +
               std::to_string(m.credit) + " + " + std::to_string(m.bank) + " + " + std::to_string(staked) +
               "), but 25 + score is " + std::to_string(owed);
    return std::string();
}

int Simulate(const SimulationSettings& settings, SimulationResult* result) {
    *result = SimulationResult();
    Player& p = ThePlayer;
    p = Player();
    p.settings = settings;
    p.result = result;
    p.machine = &TheMachine;

    const bool drawingWasOff = DrawingOff;
    DrawingOff = !settings.drawing;
    const size_t logLimit = headless::LogLimit();
    headless::SetLogLimit(0);
    headless::SetDriver(&PlayerDriver);
    AppReady = 0;
    ReportScreen("machine");
    Reset(TheMachine);  // as the program's start does, at the same tick
    result->status = WinMain(PlatformModule(), nullptr, "", SW_SHOW);
    headless::SetDriver(nullptr);
    headless::SetLogLimit(logLimit);
    DrawingOff = drawingWasOff;
    if (p.progressCells >= 0 && static_cast<int32_t>(result->games.size()) != settings.games)
        std::fputc('\n', stderr);

    if (result->failure.empty() && result->status != 0) result->failure = "the game could not start";
    if (result->failure.empty() && static_cast<int32_t>(result->games.size()) != settings.games)
        result->failure = "the game ended after " + std::to_string(result->games.size()) + " of " +
                          std::to_string(settings.games) + " games";
    return result->failure.empty() ? 1 : 0;
}

std::string SimulationText(const SimulationSettings& settings, uint32_t seed, const SimulationResult& result,
                           double seconds) {
    const std::vector<GameRecord>& games = result.games;
    std::string out;
    char text[256];
    std::snprintf(text, sizeof text, "%d games, strategy %s, seed %" PRIu32 " (money in units of ten pence)\n\n",
                  static_cast<int>(games.size()), StrategyName(settings.strategy), seed);
    out += text;
    std::snprintf(text, sizeof text, "  %-34s %12s %12s %10s %10s\n", "per game", "mean", "sd", "min", "max");
    out += text;
    // Means and spreads to two more places than the smallest and largest.
    auto row = [&](const char* name, Spread s, int decimals) {
        std::snprintf(text, sizeof text, "  %-34s %12.*f %12.*f %10.*f %10.*f\n", name, decimals + 2, s.mean,
                      decimals + 2, s.sd, decimals, s.min, decimals, s.max);
        out += text;
    };
    row("score (prizes banked)", SpreadOf(games, [](const GameRecord& g) { return double(g.score); }), 0);
    row("spins (each stakes a credit)", SpreadOf(games, [](const GameRecord& g) { return double(g.spins); }), 0);
    row("virtual minutes", SpreadOf(games, [](const GameRecord& g) { return double(g.endUs - g.startUs) / 60e6; }),
        1);
    row("return (score / spins)",
        SpreadOf(games, [](const GameRecord& g) { return g.spins ? double(g.score) / g.spins : 0.0; }), 2);

    int64_t score = 0, staked = 0, gambles = 0, losses = 0, gambled = 0, back = 0;
    for (const GameRecord& g : games) {
        score += g.score;
        staked += g.spins;
        gambles += g.gambles;
        losses += g.gambleLosses;
        gambled += g.gambled;
        back += g.gambleWins;
    }
    std::snprintf(text, sizeof text,
                  "\nReturn: prizes banked %" PRId64 " / credits staked %" PRId64 " = %.4f per unit staked\n", score,
                  staked, staked ? double(score) / double(staked) : 0.0);
    out += text;
    if (gambles) {
        std::snprintf(text, sizeof text,
                      "Gamble: %" PRId64 " prizes taken to the ladder, %" PRId64 " lost; %" PRId64
                      " units staked there, %" PRId64 " won back (%.2f times)\n",
                      gambles, losses, gambled, back, gambled ? double(back) / double(gambled) : 0.0);
        out += text;
    }
    std::snprintf(text, sizeof text, "Played in %.2f s: %.0f games a second\n", seconds,
                  seconds > 0 ? double(games.size()) / seconds : 0.0);
    out += text;
    return out;
}
