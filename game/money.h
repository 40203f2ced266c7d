// Money moving between the counters at the player's request or after a
// win, counted over step by step with a sound and a redraw per step.
#pragma once
#include "game/machine.h"

// One unit of cash becomes one credit, up to 99 credits.
void InsertCoin(Machine& machine);
// The bank into cash, a pound at a time while a pound is left, then ten pence.
void CollectBank(Machine& machine);
// The prize into the bank and the score, after the win pulse.
void BankPrize(Machine& machine);
// Shows the win and leaves it waiting for GAMBLE or COLLECT.
void OfferGamble(Machine& machine);
void FlashGambleButtons(Machine& machine);
// GAMBLE: the prize staked on the ladder; whatever is left is banked.
void GamblePrize(Machine& machine);
// The high-score table from play; the machine fades back in afterwards.
void ShowHighScores(Machine& machine);
