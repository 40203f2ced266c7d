// The screens around the machine, in the running game: the splash, the
// prompts that end a game, the high-score table, name entry and the pay
// table; their answers to every result of the panel's loop, and their
// pictures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "game/money.h"
#include "gfx/display.h"
#include "platform/gx.h"
#include "screens/highscore_file.h"
#include "screens/highscore_table.h"
#include "screens/name_entry.h"
#include "screens/paytable_screen.h"
#include "screens/prompts.h"
#include "screens/splash.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "tests/machine_fixture.h"
#include "tests/support.h"

namespace {

// What the player gives a screen that waits: a tap on either of its two
// usual places, one of the five device buttons, or the program quitting.
struct Answer {
    const char* what;
    std::function<void()> give;
};

const GXKeyList Keys = GXGetDefaultKeys(GX_NORMALKEYS);

void Press(short key) { headless::Key(key, 0); }

std::vector<Answer> AllAnswers(POINT first, POINT second) {
    return {{"first button", [=] { headless::Tap(first.x, first.y); }},
            {"second button", [=] { headless::Tap(second.x, second.y); }},
            {"up", [] { Press(Keys.vkUp); }},
            {"down", [] { Press(Keys.vkDown); }},
            {"left", [] { Press(Keys.vkLeft); }},
            {"right", [] { Press(Keys.vkRight); }},
            {"start", [] { Press(Keys.vkStart); }},
            {"quitting", [] { PostQuitMessage(0); }}};
}

const POINT PromptFirst = {60, 300}, PromptSecond = {180, 300};

struct Screens : MachineTest {
    std::vector<std::string> seen;  // the screens the player was shown, in order
    void SetUp() override {
        MachineTest::SetUp();
        Reset(m);
        RedrawAll(m);
    }
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
            Press(Keys.vkA);
            Press(Keys.vkB);
            Press(Keys.vkC);
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
        Start(1000000);
        Reset(m);
        RedrawAll(m);
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
        m.score = 50;
        After(3000, [] { headless::Tap(200, 300); });  // Cancel, if name entry came
        OfferSaveHighScore(m);
        EXPECT_EQ(Saw("names"), answer == "first button");
        EXPECT_FALSE(Saw("table") || Saw("paytable"));  // A and B did nothing
        EXPECT_EQ(ReadFile(HighScorePath("vantarohs.dat")), std::string(240, '\0'));  // Cancel saves nothing
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
    unlink(HighScorePath("vantarohs.dat").c_str());
    const std::vector<uint16_t> before = Screen();
    const size_t presents = headless::Presents().size();
    EXPECT_EQ(ShowHighScoreTable(m.screen, 3), 0);
    ShowHighScores(m);
    EXPECT_EQ(Screen(), before);
    EXPECT_EQ(headless::Presents().size(), presents);
}

TEST_F(Screens, ThePayTableLeavesOnExitOrAnyDeviceButton) {
    EachAnswer({120, 300}, {120, 300}, [this](const std::string&) {
        ShowPayTable(m.screen);  // returns: the answer was taken
        EXPECT_TRUE(Saw("paytable"));
        EXPECT_FALSE(Saw("table"));
        EXPECT_EQ(headless::Frame(), std::vector<uint16_t>(240 * 320, 0));  // faded out
    });
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
    static void Tap(int x, int y) { headless::Tap(x, y); }
};

const auto Ok = [] { NameEntry::Tap(40, 300); };
const auto Cancel = [] { NameEntry::Tap(200, 300); };
const auto Previous = [] { NameEntry::Tap(55, 110); };
const auto Next = [] { NameEntry::Tap(195, 110); };
const auto Select = [] { NameEntry::Tap(85, 240); };
const auto Delete = [] { NameEntry::Tap(155, 240); };

// Up appends the letter shown, as Select does; Delete takes the last off,
// and deleting nothing is nothing. Twelve letters at most, kept as edited
// also after Cancel; OK with none is an empty name; quitting answers 0.
TEST_F(NameEntry, LettersAreSpelledWithTheButtonsAndTheKeysUpToTwelve) {
    Run({Previous, Select, [] { Press(Keys.vkRight); }, [] { Press(Keys.vkUp); }, Next, Select, Delete,
         [] { Press(Keys.vkDown); }, [] { Press(Keys.vkStart); }, Select, Ok});
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

TEST_F(NameEntry, AChangeOfLetterIsAMorphOfThirteenFrames) {
    KillTimer(hwnd, 1);  // no frame-timer presents in between
    uint64_t tapped = 0;
    size_t burst = 0;
    Run({[&] {
             tapped = headless::NowUs();
             Next();
         },
         [&] {
             // The run of presents a frame apart that followed the tap.
             uint64_t last = 0;
             for (uint64_t us : headless::Presents()) {
                 if (us < tapped) continue;
                 if (burst && us - last > 20000) break;
                 ++burst;
                 last = us;
             }
         },
         Cancel});
    EXPECT_EQ(burst, 13u + 1u);  // the morph, then the new letter
}

// The first frames of a morph of A into B, as presented.
std::vector<std::vector<uint16_t>> MorphFrames;
void KeepFrame(void*) { MorphFrames.push_back(headless::Frame()); }

TEST_F(Screens, PicturesOfEveryScreen) {
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

    // Name entry on A, and the fifth frame of its change to B.
    char name[13] = "";
    After(1000, [&] { shots["names_a"] = headless::Frame(); });
    After(1100, [] {
        headless::SetPresentWatcher(KeepFrame, nullptr);
        headless::Tap(195, 110);
    });
    After(2000, [] { headless::SetPresentWatcher(nullptr, nullptr); });
    After(2100, [] { headless::Tap(200, 300); });
    EnterName(m.screen, name);
    ASSERT_GE(MorphFrames.size(), 13u);
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

}  // namespace
