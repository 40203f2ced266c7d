// The desktop keyboard and the gamepad: every binding does exactly what a
// tap on its button does, and nothing where the tap would do nothing; the
// ladder, the prompts, the tables and name entry answer their keys (the
// gamepad's A confirms and B goes back); M mutes at any moment; a gamepad
// plugged in while the game runs reaches it as keys.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "desktop/script.h"
#include "platform/winapi/core.h"
#include "platform/platform.h"
#include "screens/highscore_table.h"
#include "screens/name_entry.h"
#include "screens/paytable_screen.h"
#include "screens/prompts.h"
#include "shell/panel.h"
#include "tests/machine_fixture.h"

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
        NewGame([&](Machine& m) {
            SetReels(m, 3, 6, 7, 5);
            setUp(m);
        });
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

const struct Binding {
    int key, command;
    std::function<void(Machine&)> enable;
} MachineBindings[] = {
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
    {VK_GAMEPAD_A, CMD_SPIN, [](Machine& m) { m.credit = 3; }},
    {VK_GAMEPAD_B, CMD_COLLECT, [](Machine& m) { m.prize = 20; }},
    {VK_GAMEPAD_B, CMD_COLLECT, [](Machine& m) { m.bank = 14; }},
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
    // Nor are taps beside the buttons: between two HOLDs, on a reel.
    const auto lit = [](Machine& m) { m.credit = 3, m.featureCount = 15, m.holdOffer = 1; };
    EXPECT_EQ(Press(lit, [] { headless::Tap(62, 175), headless::Tap(100, 100); }), Press(lit, [] {}));
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

// On the ladder Space and Enter, and the gamepad's A and B, are taps on CLIMB
// and COLLECT at that moment.
TEST_F(Keys, LadderKeysAreJudgedAsTapsAtTheSameMoment) {
    struct Case {
        int key;
        int x, y;
        int phase;  // the light the press is given in
    };
    for (const Case& c : {Case{VK_SPACE, 120, 280, 1}, Case{VK_SPACE, 120, 280, 0}, Case{VK_RETURN, 200, 280, 1},
                          Case{VK_GAMEPAD_A, 120, 280, 1}, Case{VK_GAMEPAD_A, 120, 280, 0},
                          Case{VK_GAMEPAD_B, 200, 280, 1}}) {
        std::string results[2];
        for (int by = 0; by < 2; ++by) {
            NewGame([](Machine& m) {
                SetReels(m, 3, 6, 7, 5);
                m.prize = 20;
            });
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

// Enter and the gamepad's A keep the game or the score, B and Start give the
// other answer, Y and N answer the save, and all three of the gamepad's
// leave the tables; Start on the machine asks to abandon. A page that does
// not take its key is given up on: the program quits, which ends every page.
TEST_F(Keys, EachPageTakesItsKeysAndTheGamepadsButtons) {
    enum Page { ABANDON, GAME_OVER, SAVE, TABLE, PAY_TABLE, MACHINE };
    const struct {
        Page page;
        int key;
        int answer;  // Resume 0, Play Again 1, Yes 1 (name entry came), the table's result, abandon asked 1
    } padAnswers[] = {
        {ABANDON, VK_RETURN, 0},   {ABANDON, VK_GAMEPAD_A, 0},   {ABANDON, VK_GAMEPAD_B, 1},
        {ABANDON, VK_GAMEPAD_MENU, 1},                           {GAME_OVER, VK_RETURN, 1},
        {GAME_OVER, VK_GAMEPAD_A, 1}, {GAME_OVER, VK_GAMEPAD_B, 0}, {GAME_OVER, VK_GAMEPAD_MENU, 0},
        {SAVE, 'N', 0},            {SAVE, 'Y', 1},               {SAVE, VK_RETURN, 1},         {SAVE, VK_GAMEPAD_A, 1},
        {SAVE, VK_GAMEPAD_B, 0},   {SAVE, VK_GAMEPAD_MENU, 0},
        {TABLE, VK_GAMEPAD_A, 1},  {TABLE, VK_GAMEPAD_B, 1},     {TABLE, VK_GAMEPAD_MENU, PANEL_KEY_START},
        {PAY_TABLE, VK_GAMEPAD_A, 1}, {PAY_TABLE, VK_GAMEPAD_B, 1}, {PAY_TABLE, VK_GAMEPAD_MENU, 1},
        {MACHINE, VK_GAMEPAD_MENU, 1},
    };
    for (const auto& a : padAnswers) {
        SCOPED_TRACE(testing::Message() << "page " << a.page << ", key " << a.key);
        NewGame([&](Machine& m) { m.score = a.page == SAVE ? 500 : 0; });
        bool names = false, asked = false, done = false, quit = false;
        After(1000, [key = a.key] { headless::Key(key, 0); });
        // Name entry is cancelled; the machine's abandon prompt is answered
        // Resume.
        std::function<void()> watch = [&] {
            if (!names && std::string(ShownScreen.name) == "names") {
                names = true;
                headless::Tap(200, 300);
            }
            if (!asked && a.page == MACHINE && std::string(ShownScreen.title) == "Abandon Game?") {
                asked = true;
                headless::Key(VK_RETURN, 0);
            }
            After(50, watch);
        };
        After(50, watch);
        After(10000, [&] {
            if (done) return;
            quit = true;
            PostQuitMessage(0);
        });
        int answer = -1;
        switch (a.page) {
            case ABANDON: answer = ConfirmAbandon(m); break;
            case GAME_OVER: ShowGameOver(m); answer = IsWindow(hwnd) ? 1 : 0; break;
            case SAVE: OfferSaveHighScore(m); answer = names ? 1 : 0; break;
            case TABLE: answer = ShowHighScoreTable(m.screen, 0); break;
            case PAY_TABLE: ShowPayTable(m.screen); answer = 1; break;
            case MACHINE: Pump(4000); answer = asked ? 1 : 0; break;
        }
        done = true;
        EXPECT_FALSE(quit);  // the key was taken
        EXPECT_EQ(answer, a.answer);
    }
}

TEST_F(Keys, TypedNameEntryTakesEveryLetterBackspaceAndEnter) {
    char name[13] = "";
    std::string letters;
    const size_t presents = headless::Presents().size();
    int step = 0;
    std::vector<std::pair<int, DWORD>> typed = {{'H', 0}, {'P', 0}, {'Q', 0}, {'M', 0}, {VK_BACK, 0},
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

    // The gamepad: the D-pad goes through the letters, A selects the one
    // shown, B deletes the last and Start is OK. Without Start the entry
    // would be cancelled long after.
    Start(1000000);
    name[0] = 0;
    letters.clear();
    step = 0;
    typed = {{VK_RIGHT, 0}, {VK_GAMEPAD_A, 0}, {VK_RIGHT, 0}, {VK_GAMEPAD_A, 0}, {VK_GAMEPAD_B, 0}, {VK_GAMEPAD_MENU, 0}};
    After(1000, next);
    After(30000, [] {
        if (std::string(ShownScreen.name) == "names") headless::Tap(200, 300);
    });
    EXPECT_EQ(EnterName(m.screen, name), 1);
    EXPECT_STREQ(name, "B");
    EXPECT_EQ(letters, "BBCCC");
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
// runs, its buttons and triggers arrive as the keys they stand for (A, B and
// Start as keys of their own), and unplugging it is harmless. The gamepads
// are opened once the window shows its first frame, not before: the window
// comes up sooner for it.
TEST(Gamepad, PluggedInWhileRunningItsButtonsAreKeys) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // A shown window that does not have the focus hears no gamepad, and the
    // dummy driver never gives one the focus.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    PlatformOptions options;
    options.backend = BackendKind::Sdl;
    options.mute = true;
    PlatformSelect(options);
    std::string error;
    ASSERT_TRUE(PlatformInit(&error)) << error;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"pad";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"pad", L"pad", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_GAMECONTROLLER));
    ASSERT_TRUE(GXOpenDisplay(window, GX_FULLSCREEN));
    ASSERT_NE(GXBeginDraw(), nullptr);
    GXEndDraw();
    GXCloseDisplay();
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        DestroyWindow(window);
        PlatformShutdown();
        StartHeadless();
        GTEST_SKIP() << "no game controller support";
    }

    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    if (device < 0) {  // Windows' SDL is built without HIDAPI, which brings the virtual joystick
        const std::string why = SDL_GetError();
        DestroyWindow(window);
        PlatformShutdown();
        StartHeadless();
        GTEST_SKIP() << "no virtual gamepad to plug in: " << why;
    }
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
    } buttons[] = {{SDL_CONTROLLER_BUTTON_A, VK_GAMEPAD_A},       {SDL_CONTROLLER_BUTTON_B, VK_GAMEPAD_B},
                   {SDL_CONTROLLER_BUTTON_X, 'C'},                {SDL_CONTROLLER_BUTTON_Y, 'R'},
                   {SDL_CONTROLLER_BUTTON_BACK, 'G'},             {SDL_CONTROLLER_BUTTON_START, VK_GAMEPAD_MENU},
                   {SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP},        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN},
                   {SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT},    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT},
                   {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, '1'},     {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, '4'},
                   {SDL_CONTROLLER_BUTTON_LEFTSTICK, 'H'},        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 'P'}};
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
    unsetenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS");
    StartHeadless();
}

}  // namespace
