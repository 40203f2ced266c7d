// The command line. An option that takes a value takes it as the next word
// or after '=' in the same word ("--scale 3", "--scale=3"); an option without
// one refuses "=anything".
#pragma once
#include <string>

#include "platform/platform.h"

struct GameOptions {
    PlatformOptions platform;
    std::string script;  // headless: the script to play
    bool help = false;
    bool version = false;
    bool odds = false;          // print the odds of a plain spin
    int32_t simulate = 0;       // games to simulate (headless); 0: play
    std::string strategy = "collect";  // how the simulated player plays
    std::string error;  // not empty: the command line is wrong, in one line
};

GameOptions ParseOptions(int argc, char** argv);
const char* UsageText();
