// The three full-screen questions that end a game, and the end-of-money
// sequence that strings them together. Each fills the screen with a red
// gradient, asks with two buttons and fades out; every answer other than
// the one each prompt looks for (a direction or Start key, 0 when the
// program is quitting) counts as the other button. Enter presses the button
// that keeps the player's game or score (Yes, Resume, Play Again), and Y
// and N answer "Save High Score?".
#pragma once
#include "game/machine.h"

// "OUT OF MONEY" on the LCD strip, the high-score offer when the score
// qualifies, then GAME OVER.
void HandleOutOfMoney(Machine& machine);
// "Save High Score?": Yes leads through name entry to the table with the
// new entry picked out. Nothing at all when the score would not enter.
void OfferSaveHighScore(Machine& machine);
// "Abandon Game?": 0 after Resume, with the screen exactly as it was; 1
// after Quit (and the high-score offer), when the caller is to close.
int ConfirmAbandon(Machine& machine);
// "GAME OVER" with the score: Play Again starts a fresh game, Exit Game
// closes the main window.
void ShowGameOver(Machine& machine);
