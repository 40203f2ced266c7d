// The odds of a plain spin as `vantaro --odds` prints them.
#pragma once
#include <string>

#include "game/odds.h"

std::string OddsText(const SpinOdds& odds);
