#include "resources/resources.h"

const PlatformString ProgramStrings[] = {
    {IDS_TITLE, L"Vantaro"},
    {IDS_CLASS, L"FIRSTGX"},
};
const size_t ProgramStringCount = sizeof ProgramStrings / sizeof ProgramStrings[0];

static const ACCEL MainAccelerators[] = {
    {FVIRTKEY | FCONTROL | FNOINVERT, 0x41, 40003},               // Ctrl+A: About
    {FVIRTKEY | FCONTROL | FNOINVERT | FLAST_ACCEL, 0x51, 1},     // Ctrl+Q: first HOLD
};

const PlatformAccelTable ProgramAccelTables[] = {
    {IDR_ACCELERATORS, MainAccelerators, 2},
};
const size_t ProgramAccelTableCount = 1;

const PlatformDialog ProgramDialogs[] = {
    {IDD_ABOUT, "About Vantaro",
     "Vantaro, a pub fruit machine.\n"
     "\n"
     "Spin the four reels, hold and nudge, bank your wins\n"
     "or gamble them on the ladder, and collect.\n"
     "\n"
     "Mouse or touch: press the buttons on the machine.\n"
     "1-4: HOLD or NUDGE   Space: SPIN   C: Coin\n"
     "R: RANDOM   G: GAMBLE   Enter: COLLECT\n"
     "Ladder: Space climbs, Enter collects.\n"
     "Prompts: Enter keeps your game or score; Y or N.\n"
     "Name entry: type letters, Backspace, Enter.\n"
     "H: high scores   P: pay table   Q or Esc: abandon\n"
     "Ctrl+Q: first HOLD   Ctrl+A: this box\n"
     "M (Ctrl+M in name entry): sound on and off\n"
     "F11: full screen\n"
     "Gamepad: D-pad arrows, A SPIN, B COLLECT, X Coin,\n"
     "Y RANDOM, Back GAMBLE, Start abandon,\n"
     "shoulders and triggers HOLD 1-4.\n"
     "\n"
     "MIT licence. Pictures and sounds are made by\n"
     "the game's own generators."},
};
const size_t ProgramDialogCount = 1;
