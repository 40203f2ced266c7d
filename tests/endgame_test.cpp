// The machine and the screens around it, in the running game: the splash,
// the prompts that end a game, the high-score table, name entry and the pay
// table; their answers to every result of the panel's loop, and golden
// pictures of them and of the machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

#include "game/money.h"
#include "gfx/display.h"
#include "platform/winapi/gx.h"
#include "screens/highscore_file.h"
#include "screens/highscore_table.h"
#include "screens/name_entry.h"
#include "screens/paytable_screen.h"
#include "screens/prompts.h"
#include "screens/splash.h"
#include "shell/panel.h"
#include "tests/machine_fixture.h"
#include "platform/os/folders.h"

namespace {

// What the player gives a screen that waits: a tap on either of its two
// usual places, one of the five device buttons, or the program quitting.
struct Answer {
    const char* what;
    std::function<void()> give;
};

const GXKeyList Keys = GXGetDefaultKeys(GX_NORMALKEYS);
std::function<void()> Press(short key) {
    return [key] { headless::Key(key, 0); };
}

std::vector<Answer> AllAnswers(POINT first, POINT second) {
    std::vector<Answer> all = {{"first button", [=] { headless::Tap(first.x, first.y); }},
                               {"second button", [=] { headless::Tap(second.x, second.y); }}};
    for (auto [what, key] : {std::pair{"up", Keys.vkUp}, {"down", Keys.vkDown}, {"left", Keys.vkLeft},
                             {"right", Keys.vkRight}, {"start", Keys.vkStart}})
        all.push_back({what, Press(key)});
    all.push_back({"quitting", [] { PostQuitMessage(0); }});
    return all;
}

const POINT PromptFirst = {60, 300}, PromptSecond = {180, 300};

struct Screens : MachineTest {
    std::vector<std::string> seen;  // the screens the player was shown, in order
    void SetUp() override { NewGame(); }
    // Notes which screen is up whenever the game looks at its input.
    void Watch() {
        At(headless::NowUs() + 50000, [this] {
            const std::string now = ShownScreen.name + (ShownScreen.title[0] ? std::string(":") + ShownScreen.title : "");
            if (seen.empty() || seen.back() != now) seen.push_back(now);
            Watch();
        });
    }
    // A, B and C first (they must do nothing), then the answer, once the
    // screen has come up.
    void AnswerLater(const Answer& a, uint32_t ms = 1000) {
        After(ms, [] {
            for (short key : {Keys.vkA, Keys.vkB, Keys.vkC}) headless::Key(key, 0);
        });
        After(ms + 100, a.give);
    }
    bool Saw(const std::string& screen) const { return std::find(seen.begin(), seen.end(), screen) != seen.end(); }
    // Takes what is left in the queue, a quit message included.
    void Drain() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void Restart() {
        NewGame();
        seen.clear();
    }
    // Runs body on a fresh machine once for every answer, given once the
    // screen has come up.
    void EachAnswer(POINT first, POINT second, std::function<void(const std::string& answer)> body) {
        for (const Answer& a : AllAnswers(first, second)) {
            SCOPED_TRACE(a.what);
            Restart();
            Watch();
            AnswerLater(a);
            body(a.what);
            Drain();
        }
    }
};

TEST_F(Screens, SaveHighScoreTakesOnlyYes) {
    EachAnswer(PromptFirst, PromptSecond, [this](const std::string& answer) {
        const std::string table = ReadFile(PlatformHighScorePath("vantarohs.dat"));
        m.score = 50;
        After(3000, [] { headless::Tap(200, 300); });  // Cancel, if name entry came
        OfferSaveHighScore(m);
        EXPECT_EQ(Saw("names"), answer == "first button");
        EXPECT_FALSE(Saw("table") || Saw("paytable"));  // A and B did nothing
        EXPECT_EQ(ReadFile(PlatformHighScorePath("vantarohs.dat")), table);  // Cancel saves nothing
    });
    // A score that would not enter the table is not offered at all.
    Restart();
    m.score = 0;
    const size_t presents = headless::Presents().size();
    OfferSaveHighScore(m);
    EXPECT_EQ(headless::Presents().size(), presents);
}

TEST_F(Screens, AbandonGameTakesOnlyResumeAndResumeRestoresThePictureExactly) {
    EachAnswer(PromptFirst, PromptSecond, [this](const std::string& answer) {
        m.credit = 3;
        // Marks on the screen that no redraw from the counters would make.
        for (int i = 0; i < 240 * 320; i += 97) m.screen.pixels[i] = static_cast<uint16_t>(i);
        const std::vector<uint16_t> before = Screen();
        const bool resume = answer == "second button";
        EXPECT_EQ(ConfirmAbandon(m), resume ? 0 : 1);
        EXPECT_TRUE(Saw("prompt:Abandon Game?"));
        if (resume) {
            EXPECT_EQ(Screen(), before);
            EXPECT_EQ(headless::Frame(), before);
            EXPECT_EQ(m.credit, 3);
            EXPECT_STREQ(ShownScreen.name, "machine");
        }
    });
}

TEST_F(Screens, GameOverTakesOnlyPlayAgain) {
    EachAnswer(PromptFirst, PromptSecond, [this](const std::string& answer) {
        m.cash = m.credit = 0;
        m.score = 77;
        ShowGameOver(m);
        const bool again = answer == "first button";
        EXPECT_EQ(IsWindow(hwnd) != 0, again);
        EXPECT_TRUE(Saw("prompt:GAME OVER"));
        if (again) {
            EXPECT_EQ(m.cash, 25);
            EXPECT_EQ(m.score, 0);
            const std::vector<uint16_t> shown = Screen();
            RedrawAll(m);
            EXPECT_EQ(shown, Screen());
        }
    });
}

TEST_F(Screens, TheTableLeavesOnExitOrAnyDeviceButtonAndIgnoresEarlyInput) {
    const int expected[] = {1, 1, PANEL_KEY_UP, PANEL_KEY_DOWN, PANEL_KEY_LEFT, PANEL_KEY_RIGHT, PANEL_KEY_START, 0};
    int n = 0;
    EachAnswer({30, 300}, {210, 300}, [&](const std::string&) {
        headless::Tap(120, 300);  // given before the table is up: thrown away
        EXPECT_EQ(ShowHighScoreTable(m.screen, 0), expected[n++]);
    });
    // Without a table to read, nothing is drawn and nothing waits.
    Restart();
    std::remove(PlatformHighScorePath("vantarohs.dat").c_str());
    const std::vector<uint16_t> before = Screen();
    const size_t presents = headless::Presents().size();
    EXPECT_EQ(ShowHighScoreTable(m.screen, 3), 0);
    ShowHighScores(m);
    EXPECT_EQ(Screen(), before);
    EXPECT_EQ(headless::Presents().size(), presents);
}

// Name entry, driven by its buttons and keys; the result and the name.
struct NameEntry : Screens {
    char name[13] = "";
    int result = -1;
    std::vector<int> letters;  // the letter shown at each wait
    void Run(std::vector<std::function<void()>> steps) {
        uint32_t when = 1000;
        for (auto& step : steps) {
            After(when, [this, step] {
                letters.push_back(ShownScreen.letter);
                step();
            });
            when += 700;
        }
        result = EnterName(m.screen, name);
    }
};

const auto Ok = [] { headless::Tap(40, 300); };
const auto Cancel = [] { headless::Tap(200, 300); };
const auto Previous = [] { headless::Tap(55, 110); };
const auto Next = [] { headless::Tap(195, 110); };
const auto Select = [] { headless::Tap(85, 240); };
const auto Delete = [] { headless::Tap(155, 240); };

// Up appends the letter shown, as Select does; Delete takes the last off,
// and deleting nothing is nothing. Twelve letters at most, kept as edited
// also after Cancel; OK with none is an empty name; quitting answers 0.
TEST_F(NameEntry, LettersAreSpelledWithTheButtonsAndTheKeysUpToTwelve) {
    Run({Previous, Select, Press(Keys.vkRight), Press(Keys.vkUp), Next, Select, Delete, Press(Keys.vkDown),
         Press(Keys.vkStart), Select, Ok});
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(name, "ZB");  // Z, then A (Up appends), B appended and deleted twice, B again
    EXPECT_EQ(letters.front(), 0);  // it starts on A
    EXPECT_EQ(letters[1], 25);     // "<<" on A shows Z
    EXPECT_EQ(letters[3], 0);      // Right on Z shows A
    struct Case {
        std::vector<std::function<void()>> steps;
        int result;
        const char* name;
    };
    std::vector<std::function<void()>> thirteen = {Delete};
    thirteen.insert(thirteen.end(), 13, Select);
    thirteen.push_back(Cancel);
    for (const Case& c : {Case{thirteen, 2, "AAAAAAAAAAAA"}, Case{{Ok}, 1, ""},
                          Case{{Select, [] { PostQuitMessage(0); }}, 0, "A"}}) {
        Restart();
        name[0] = 0;
        Run(c.steps);
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(name, c.name);
        Drain();
    }
}

// The frames of a morph of A into B, as presented.
std::vector<std::vector<uint16_t>> MorphFrames;
void KeepFrame(void*) { MorphFrames.push_back(headless::Frame()); }

TEST_F(Screens, PicturesOfEveryScreen) {
    KillTimer(hwnd, 1);  // no frame-timer presents in between
    std::map<std::string, std::vector<uint16_t>> shots;
    // The picture once the screen is up, and then the tap that leaves it.
    auto shoot = [&](const std::string& name, int x, int y) {
        After(1000, [&, name] { shots[name] = headless::Frame(); });
        After(1100, [x, y] { headless::Tap(x, y); });
    };
    m.score = 123;
    shoot("prompt_save", 180, 300);
    OfferSaveHighScore(m);
    shoot("prompt_abandon", 180, 300);
    ConfirmAbandon(m);
    shoot("prompt_game_over", 60, 300);
    ShowGameOver(m);
    // The table, plain and with the fourth row picked out.
    const char* names[] = {"ALICE", "BOB", "", "CAROLINE", "DAN", "EVE", "FRED"};
    for (int i = 0; i < 7; ++i) InsertHighScore(names[i], 900 - 110 * i);
    shoot("table", 120, 300);
    ShowHighScoreTable(m.screen, 0);
    shoot("table_highlight", 120, 300);
    ShowHighScoreTable(m.screen, 4);

    // Name entry on A, and the fifth frame of its change to B: thirteen
    // frames of the morph, then the new letter.
    char name[13] = "";
    After(1000, [&] { shots["names_a"] = headless::Frame(); });
    After(1100, [] {
        headless::SetPresentWatcher(KeepFrame, nullptr);
        headless::Tap(195, 110);
    });
    After(2000, [] { headless::SetPresentWatcher(nullptr, nullptr); });
    After(2100, [] { headless::Tap(200, 300); });
    EnterName(m.screen, name);
    ASSERT_EQ(MorphFrames.size(), 13u + 1u);
    shots["names_morph"] = MorphFrames[4];

    shoot("paytable", 120, 300);
    ShowPayTable(m.screen);

    for (const auto& [name, picture] : shots) ExpectGolden(name, picture);
}

TEST_F(Screens, TheSplashShowsThePictureOrTheDrawnTitleAndEndsOnAFreshMachine) {
    auto splash = [this] {
        std::vector<std::vector<uint16_t>> frames;
        headless::SetPresentWatcher([](void* self) { static_cast<decltype(frames)*>(self)->push_back(headless::Frame()); },
                                    &frames);
        ShowSplash(m);
        headless::SetPresentWatcher(nullptr, nullptr);
        return frames;
    };
    const uint64_t start = headless::NowUs();
    auto frames = splash();
    // Fade in, one more present, two seconds, fade out, fade in: no strip.
    EXPECT_EQ(frames.size(), 7u + 1u + 7u + 7u);
    EXPECT_GE(headless::NowUs() - start, 2000000u);
    ExpectGolden("splash", frames[7]);
    const std::vector<uint16_t> fresh = Screen();
    RedrawAll(m);
    EXPECT_EQ(Screen(), fresh);

    headless::HideResource(L"SPLASH", true);
    frames = splash();
    headless::HideResource(L"SPLASH", false);
    // Fade in, the strip (13 + 46 + 13), fade out, fade in.
    EXPECT_EQ(frames.size(), 7u + 72u + 7u + 7u);
    ExpectGolden("splash_drawn", frames[6]);
    EXPECT_EQ(frames.back(), Screen());
}

using Pictures = MachineTest;

// A new game as a fresh program has it; a reel held by its button; nudges
// offered with the feature flag; a prize waiting over a large bank.
TEST_F(Pictures, TheMachineNewWithAHeldReelNudgesOfferedAndAPrizeWaiting) {
    const struct {
        const char* name;
        std::function<void(Machine&)> setUp;
    } pictures[] = {
        {"machine_reset", [](Machine&) {}},
        {"machine_held", [](Machine& m) { m.credit = 5, m.cash = 20, m.holdOffer = 1; }},
        {"machine_nudges",
         [](Machine& m) { m.credit = 3, m.cash = 12, m.nudges = 4, m.featureCount = 9, m.featureHold = 1; }},
        {"machine_prize",
         [](Machine& m) { m.credit = 7, m.cash = 8, m.bank = 1234, m.prize = 50, m.featureCount = 17; }},
        // Four and more figures of pounds, each in its own six cells.
        {"machine_four_figures",
         [](Machine& m) { m.credit = 99, m.cash = 123450, m.bank = 99990, m.prize = 25600, m.nudges = 5; }},
    };
    for (const auto& p : pictures) {
        NewGame([](Machine& m) { SetReels(m, 3, 6, 7, 5); });
        p.setUp(m);
        if (m.holdOffer) {  // the buttons follow the counters, the reel is held by its tap
            UpdateButtons(m);
            TapButton(CMD_HOLD2);
            Pump(100);
            EXPECT_EQ(m.reels.reel[1].held, 1);
        } else {
            RedrawAll(m);
        }
        ExpectGolden(p.name, Screen());
    }
}

// Nothing clears a display before it is drawn again: a four-figure prize
// counted into the bank leaves the panel exactly as a fresh drawing of the
// same counters, with no cell of the old amount left lit beside a field.
TEST_F(Pictures, AFourFigurePrizeCountedIntoTheBankLeavesNothingBehind) {
    NewGame([](Machine& m) { SetReels(m, 3, 6, 7, 5); });
    m.prize = 12340;
    m.bank = 99000;
    RedrawAll(m);
    BankPrize(m);
    EXPECT_EQ(std::tie(m.prize, m.bank), std::make_tuple(0, 111340));
    const std::vector<uint16_t> counted = Screen();
    RedrawAll(m);
    EXPECT_TRUE(counted == Screen()) << "the panel after counting differs from the same counters drawn afresh";
}

// Money in six characters, the width of every money display.
TEST(Money, FromAThousandPoundsOnThePenceGiveWayToThePounds) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "  0.00"},        {25, "  2.50"},        {9999, "999.90"},       {10000, "1000.0"},
        {25600, "2560.0"},    {99999, "9999.9"},     {100000, "10000."},     {999999, "99999."},
        {1000000, "100000"},  {9999999, "999999"},   {10000000, "999999"},   {INT32_MAX, "999999"},
    };
    for (const auto& [units, shown] : cases) {
        char text[32];
        FormatMoney(text, sizeof text, units);
        EXPECT_STREQ(text, shown) << units;
    }
}

}  // namespace
