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
     "Coin: 10p of Cash buys a Credit, one SPIN.\n"
     "Score: the prizes you bank, in tens of pence.\n"
     "NUDGE: reels 1 and 3 turn up, 2 and 4 down.\n"
     "Feature: BARs on the win line; RANDOM at 15.\n"
     "Ladder: CLIMB while the next rung up is lit.\n"
     "How to play in full: README, or man 6 vantaro.\n"
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
     "- and =: volume   F11: full screen\n"
     "Gamepad: A confirms and B goes back.\n"
     "A: SPIN, climb, the keeping answer, Select.\n"
     "B: COLLECT, collect, the other answer, Delete.\n"
     "Start: abandon, the other answer, name entry OK.\n"
     "A, B and Start also leave the tables.\n"
     "D-pad arrows, X Coin, Y RANDOM, Back GAMBLE,\n"
     "shoulders and triggers HOLD 1-4,\n"
     "stick clicks high scores and pay table.\n"
     "\n"
     "MIT licence. Pictures and sounds are made by\n"
     "the game's own generators."},
};
const size_t ProgramDialogCount = 1;
