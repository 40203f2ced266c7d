// The desktop keyboard and the gamepad: every binding does exactly what a
// tap on its button does, and nothing where the tap would do nothing; the
// ladder, the prompts and name entry answer their keys; M mutes at any
// moment; a gamepad plugged in while the game runs reaches it as keys.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <functional>

#include "game/holds.h"
#include "platform/internal.h"
#include "platform/platform.h"
#include "screens/name_entry.h"
#include "screens/prompts.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "desktop/script.h"
#include "shell/window.h"
#include "tests/machine_fixture.h"
#include "tests/support.h"

namespace {

struct Keys : MachineTest {
    // Everything a press can change: the counters and reels, what was
    // played, how many frames were shown and the last of them.
    struct Outcome {
        std::string state;
        std::vector<std::string> sounds;
        size_t presents;
        std::vector<uint16_t> screen;
        bool operator==(const Outcome&) const = default;
    };
    Outcome Press(const std::function<void(Machine&)>& setUp, const std::function<void()>& press) {
        Start(1000000);
        Reset(m);
        SetReels(m, 3, 6, 7, 5);
        setUp(m);
        UpdateButtons(m);
        RedrawAll(m);
        const size_t sounds = headless::Sounds().size(), presents = headless::Presents().size();
        After(10, press);
        // A gamble is left through COLLECT once the ladder is up.
        After(3000, [] {
            if (std::string(ShownScreen.name) == "ladder") headless::Tap(200, 280);
        });
        Pump(12000);
        return {MachineStateJson(m), SoundsSince(sounds), headless::Presents().size() - presents, Screen()};
    }
};

struct Binding {
    int key;
    int command;
    std::function<void(Machine&)> enable;
};

const Binding MachineBindings[] = {
    {'1', CMD_HOLD1, [](Machine& m) { m.holdOffer = 1; }},
    {'2', CMD_HOLD2, [](Machine& m) { m.nudges = 2; }},
    {'3', CMD_HOLD3, [](Machine& m) { m.holdOffer = 1; }},
    {'4', CMD_HOLD4, [](Machine& m) { m.nudges = 5; }},
    {VK_SPACE, CMD_SPIN, [](Machine& m) { m.credit = 3; }},
    {'C', CMD_COIN, [](Machine&) {}},
    {'R', CMD_RANDOM, [](Machine& m) { m.featureCount = 15; }},
    {'G', CMD_GAMBLE, [](Machine& m) { m.prize = 20; }},
    {VK_RETURN, CMD_COLLECT, [](Machine& m) { m.prize = 20; }},
    {VK_RETURN, CMD_COLLECT, [](Machine& m) { m.bank = 14; }},
};

TEST_F(Keys, EveryMachineKeyIsATapOnItsButtonAndNothingWhenTheButtonIsOff) {
    for (const Binding& b : MachineBindings) {
        SCOPED_TRACE(b.command);
        const Outcome tapped = Press(b.enable, [&] { TapButton(b.command); });
        const Outcome keyed = Press(b.enable, [&] { headless::Key(b.key, 0); });
        EXPECT_EQ(keyed, tapped);
        EXPECT_FALSE(tapped.sounds.empty());  // the press did something
        // With the button disabled (a game with no money at all), neither.
        const auto broke = [](Machine& m) { m.cash = 0; };
        const Outcome still = Press(broke, [] {});
        EXPECT_EQ(Press(broke, [&] { headless::Key(b.key, 0); }), still);
        EXPECT_EQ(Press(broke, [&] { TapButton(b.command); }), still);
    }
}

TEST_F(Keys, AHeldKeyPressesOnceAndCtrlWithALetterIsNoPress) {
    const auto credit = [](Machine& m) { m.credit = 5; };
    const Outcome once = Press(credit, [] { headless::Key(VK_SPACE, 0); });
    const Outcome held = Press(credit, [] {
        headless::Key(VK_SPACE, 0);
        for (int i = 0; i < 5; ++i) platform::PostInput(WM_KEYDOWN, VK_SPACE, 0x40000001, 0);  // auto-repeat
    });
    EXPECT_EQ(held, once);
    EXPECT_EQ(m.credit, 4);
    const Outcome none = Press([](Machine& m) { m.cash = 3; }, [] {});
    EXPECT_EQ(Press([](Machine& m) { m.cash = 3; }, [] { headless::Key('C', MK_CONTROL); }), none);
}

// On the ladder Space and Enter are taps on CLIMB and COLLECT at that moment.
TEST_F(Keys, LadderKeysAreJudgedAsTapsAtTheSameMoment) {
    struct Case {
        int key;
        int x, y;
        int phase;  // the light the press is given in
    };
    for (const Case& c : {Case{VK_SPACE, 120, 280, 1}, Case{VK_SPACE, 120, 280, 0}, Case{VK_RETURN, 200, 280, 1}}) {
        std::string results[2];
        for (int by = 0; by < 2; ++by) {
            Start(1000000);
            Reset(m);
            SetReels(m, 3, 6, 7, 5);
            m.prize = 20;
            RedrawAll(m);
            bool given = false;
            std::function<void()> watch = [&] {
                if (!given && std::string(ShownScreen.name) == "ladder" && ShownScreen.phase == c.phase) {
                    given = true;
                    if (by == 0) headless::Tap(c.x, c.y);
                    else headless::Key(c.key, 0);
                    // A held Space must not climb again on the next light.
                    if (by == 1) platform::PostInput(WM_KEYDOWN, c.key, 0x40000001, 0);
                }
                if (std::string(ShownScreen.name) == "ladder" && ShownScreen.rung > 0) headless::Tap(200, 280);
                if (!windowGone) After(2, watch);
            };
            After(2, watch);
            TapButton(CMD_GAMBLE);
            Pump(20000);
            results[by] = MachineStateJson(m);
        }
        EXPECT_EQ(results[1], results[0]) << c.key << " in phase " << c.phase;
    }
    EXPECT_EQ(m.bank, 20);  // the last case collected the stake untouched
}

TEST_F(Keys, EnterKeepsTheGameOrScoreAtEachPromptAndYOrNAnswerTheSave) {
    Reset(m);
    m.score = 500;  // enough for the table
    RedrawAll(m);
    After(500, [] { headless::Key(VK_RETURN, 0); });
    EXPECT_EQ(ConfirmAbandon(m), 0);  // Resume

    After(500, [] { headless::Key(VK_RETURN, 0); });
    ShowGameOver(m);  // Play Again: a fresh game, the window stays
    EXPECT_EQ(m.cash, 25);
    EXPECT_FALSE(windowGone);

    for (int key : {int('N'), int('Y'), VK_RETURN}) {
        Start(1000000);
        Reset(m);
        m.score = 500;
        bool names = false;
        After(500, [key] { headless::Key(key, 0); });
        std::function<void()> cancel = [&] {
            if (std::string(ShownScreen.name) != "names") return After(50, cancel);
            names = true;
            headless::Tap(200, 300);
        };
        After(50, cancel);
        OfferSaveHighScore(m);
        EXPECT_EQ(names, key != 'N') << key;
    }
}

TEST_F(Keys, TypedNameEntryTakesEveryLetterBackspaceAndEnter) {
    char name[13] = "";
    std::string letters;
    const size_t presents = headless::Presents().size();
    int step = 0;
    const std::vector<std::pair<int, DWORD>> typed = {{'H', 0}, {'P', 0}, {'Q', 0}, {'M', 0}, {VK_BACK, 0},
                                                      {'M', MK_CONTROL}, {'Z', 0}, {VK_RETURN, 0}};
    std::function<void()> next = [&] {
        if (step > 0) letters += static_cast<char>('A' + ShownScreen.letter);
        if (step == static_cast<int>(typed.size())) return;
        headless::Key(typed[step].first, typed[step].second);
        ++step;
        After(2000, next);
    };
    After(1000, next);
    const bool mutedBefore = PlatformMuted();
    EXPECT_EQ(EnterName(m.screen, name), 1);
    EXPECT_STREQ(name, "HPQZ");
    // Each typed letter is the one shown; Backspace and Ctrl+M leave it.
    EXPECT_EQ(letters, "HPQMMMZ");
    EXPECT_NE(PlatformMuted(), mutedBefore);  // Ctrl+M switched the sound, plain M was a letter
    EXPECT_GT(headless::Presents().size() - presents, 5u * 13);  // a morph to each new letter
    PlatformToggleMute();
    headless::Key('M', 0);  // outside name entry M is the mute key again
    Pump(100);
    EXPECT_NE(PlatformMuted(), mutedBefore);
    PlatformToggleMute();
}

TEST_F(Keys, MMutesAtAnyMomentEvenInASpinAndNeverReachesTheGame) {
    Reset(m);
    m.credit = 2;
    RedrawAll(m);
    const size_t sounds = headless::Sounds().size();
    const uint64_t defaulted = headless::KeysDefaulted();
    TapButton(CMD_SPIN);
    After(100, [] { headless::Key('M', 0); });  // while the reels run
    Pump(6000);
    EXPECT_TRUE(PlatformMuted());
    EXPECT_FALSE(headless::SoundPlaying());
    TapButton(CMD_COIN);
    Pump(200);
    EXPECT_EQ(headless::Sounds().back().outcome, "muted");
    EXPECT_EQ(headless::Sounds().back().file, "button.wav");
    EXPECT_EQ(headless::Sounds()[sounds + 1].file, "spin.wav");  // the spin's own sound came before
    EXPECT_EQ(headless::Sounds()[sounds + 1].outcome, "play");
    headless::Key('M', 0);
    Pump(100);
    EXPECT_FALSE(PlatformMuted());
    EXPECT_EQ(headless::KeysDefaulted(), defaulted);
}

// A virtual gamepad on SDL's dummy video driver: plugged in while the game
// runs, its buttons and triggers arrive as the keys they stand for, and
// unplugging it is harmless.
TEST(Gamepad, PluggedInWhileRunningItsButtonsAreKeys) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    PlatformOptions options;
    options.backend = BackendKind::Sdl;
    options.mute = true;
    PlatformSelect(options);
    std::string error;
    ASSERT_TRUE(PlatformInit(&error)) << error;
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        PlatformShutdown();
        GTEST_SKIP() << "no game controller support";
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"pad";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"pad", L"pad", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);

    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(device);
    auto keysAfter = [](const std::function<void()>& act) {
        act();
        SDL_JoystickUpdate();
        std::vector<int> keys;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_KEYDOWN) keys.push_back(static_cast<int>(msg.wParam));
        return keys;
    };
    keysAfter([] {});  // the plug-in itself
    const struct {
        SDL_GameControllerButton button;
        int key;
    } buttons[] = {{SDL_CONTROLLER_BUTTON_A, VK_SPACE},  {SDL_CONTROLLER_BUTTON_B, VK_RETURN},
                   {SDL_CONTROLLER_BUTTON_X, 'C'},       {SDL_CONTROLLER_BUTTON_Y, 'R'},
                   {SDL_CONTROLLER_BUTTON_BACK, 'G'},    {SDL_CONTROLLER_BUTTON_START, VK_ESCAPE},
                   {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP}, {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},
                   {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, '1'}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, '4'}};
    for (const auto& b : buttons) {
        EXPECT_EQ(keysAfter([&] { SDL_JoystickSetVirtualButton(stick, b.button, 1); }), std::vector<int>{b.key})
            << SDL_GameControllerGetStringForButton(b.button);
        EXPECT_TRUE(keysAfter([&] { SDL_JoystickSetVirtualButton(stick, b.button, 0); }).empty());
    }
    // Triggers press past half-way, once, and let go below a quarter.
    EXPECT_EQ(keysAfter([&] { SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000); }),
              std::vector<int>{'2'});
    EXPECT_TRUE(keysAfter([&] { SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 12000); }).empty());
    EXPECT_TRUE(keysAfter([&] { SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0); }).empty());
    EXPECT_EQ(keysAfter([&] { SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767); }),
              std::vector<int>{'3'});
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(device);
    EXPECT_TRUE(keysAfter([] {}).empty());
    DestroyWindow(window);
    PlatformShutdown();
    StartHeadless();
}

}  // namespace
