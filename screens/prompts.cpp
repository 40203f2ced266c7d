#include "screens/prompts.h"

#include <cstdio>

#include "gfx/delay.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "gfx/lines.h"
#include "screens/highscore_file.h"
#include "screens/highscore_table.h"
#include "screens/lcd.h"
#include "screens/name_entry.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"

namespace {

uint16_t Black() { return MakeColour(0, 0, 0); }

// Enter answers with the button that keeps the player's game or score, and
// so does the gamepad's A; its B gives the other answer.
constexpr PanelKey EnterFirst[] = {{VK_RETURN, 1}, {VK_GAMEPAD_A, 1}, {VK_GAMEPAD_B, 2}};
constexpr PanelKey EnterSecond[] = {{VK_RETURN, 2}, {VK_GAMEPAD_A, 2}, {VK_GAMEPAD_B, 1}};
constexpr PanelKey YesOrNo[] = {{VK_RETURN, 1}, {'Y', 1}, {'N', 2}, {VK_GAMEPAD_A, 1}, {VK_GAMEPAD_B, 2}};

// Draws the prompt over the whole screen, fades it in, waits for the
// answer (a button, or one of the keys) and fades out to black.
template <int N>
int Ask(Machine& m, const PanelKey (&keys)[N], const char* title, const char* first, const char* second,
        const char* line = nullptr) {
    ReportScreen("prompt");
    ShownScreen.title = title;
    Surface& s = m.screen;
    VerticalGradient(s, MakeColour(128, 0, 0), Black());
    ButtonPanel panel;
    PanelInit(panel);
    PanelAdd(panel, 1, first, 10, 290, 100, 20, 0);
    PanelAdd(panel, 2, second, 130, 290, 100, 20, 0);
    PanelDraw(panel, s);
    DrawText(s, title, TEXT_CENTRE, 100, MakeColour(255, 255, 255));
    if (line) DrawText(s, line, TEXT_CENTRE, 120, MakeColour(255, 0, 0));
    FadeIn(s, Black(), FadeStep);
    const int answer = PanelModalLoop(panel, keys, N);
    FadeOut(s, Black(), FadeStep);
    return answer;
}

}  // namespace

void HandleOutOfMoney(Machine& m) {
    ScrollLcdMessage(m.screen, 0, 270, 10, "OUT OF MONEY");
    if (HighScoreRank(m.score) != 0) OfferSaveHighScore(m);
    ShowGameOver(m);
}

void OfferSaveHighScore(Machine& m) {
    if (HighScoreRank(m.score) == 0) return;
    if (Ask(m, YesOrNo, "Save High Score?", "Yes", "No") != 1) return;
    char name[13] = "";
    const int entered = EnterName(m.screen, name);
    if (entered == 0) return;
    if (entered == 1) {
        // The rank the insertion reports picks out the row, so that it is
        // the new entry's even if the table changed since the offer.
        const int rank = InsertHighScore(name, m.score);
        if (rank != 0 && ShowHighScoreTable(m.screen, rank) == 0) return;
    }
    FadeOut(m.screen, Black(), FadeStep);
}

int ConfirmAbandon(Machine& m) {
    Surface saved;
    if (!saved.CopyFrom(m.screen)) return 1;
    FadeOut(m.screen, Black(), FadeStep);
    if (Ask(m, EnterSecond, "Abandon Game?", "Quit", "Resume") == 2) {
        m.screen.CopyFrom(saved);
        ReportScreen("machine");
        FadeIn(m.screen, Black(), FadeStep);
        return 0;
    }
    OfferSaveHighScore(m);
    Delay(500);
    return 1;
}

void ShowGameOver(Machine& m) {
    FadeOut(m.screen, Black(), FadeStep);
    char line[32];
    std::snprintf(line, sizeof line, "Score: %d", static_cast<int>(m.score));
    if (Ask(m, EnterFirst, "GAME OVER", "Play Again", "Exit Game", line) == 1) {
        Reset(m);
        RedrawAll(m);
        ReportScreen("machine");
        FadeIn(m.screen, Black(), FadeStep);
        return;
    }
    Delay(500);
    DestroyWindow(m.window);
}
