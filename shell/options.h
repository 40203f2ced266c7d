// The command line.
#pragma once
#include <string>

#include "platform/platform.h"

struct GameOptions {
    PlatformOptions platform;
    std::string script;  // headless: the script to play
    bool help = false;
    bool version = false;
    std::string error;  // not empty: the command line is wrong
};

GameOptions ParseOptions(int argc, char** argv);
const char* UsageText();
