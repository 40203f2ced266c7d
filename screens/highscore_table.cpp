#include "screens/highscore_table.h"

#include <cstdio>
#include <cstring>

#include "gfx/fade.h"
#include "gfx/font.h"
#include "gfx/lines.h"
#include "screens/highscore_file.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/winmain.h"

// At most 29 characters fit between the wrap limits of the text; a row of a
// damaged table never spills onto the next.
constexpr int ROW_CHARACTERS_MAX = 29;

void FormatHighScoreRow(char* text, int size, int rank, const char* name, int32_t score) {
    // A name shows as its bytes do in the font (a blank cell for most that
    // are not letters); a line break among them would break the row.
    char shown[HIGH_SCORE_NAME_BYTES];
    std::snprintf(shown, sizeof shown, "%s", name && name[0] ? name : "Empty");
    for (char* c = shown; *c; ++c)
        if (*c == '\n' || *c == '\r') *c = ' ';
    const int n = std::snprintf(text, static_cast<size_t>(size), "%2d %-12s    %6d ", rank, shown, score);
    if (n > ROW_CHARACTERS_MAX) std::snprintf(text, static_cast<size_t>(size), "%2d %.12s %d", rank, shown, score);
}

// The gamepad's A and B leave the table, as Exit does.
constexpr PanelKey LeaveKeys[] = {{VK_GAMEPAD_A, 1}, {VK_GAMEPAD_B, 1}};

int ShowHighScoreTable(Surface& screen, int32_t highlight) {
    HighScoreRecord records[HIGH_SCORE_RECORDS];
    if (!ReadHighScores(records)) return 0;
    FadeOut(screen, MakeColour(0, 0, 0), FadeStep);
    ReportScreen("table");

    VerticalGradient(screen, MakeColour(255, 0, 0), MakeColour(255, 0, 255));
    ButtonPanel panel;
    PanelInit(panel);
    PanelAdd(panel, 1, "Exit", 20, 290, 200, 20, 0);
    PanelDraw(panel, screen);
    DrawText(screen, "HIGHSCORES", TEXT_CENTRE, 10, MakeColour(255, 255, 255));
    for (int i = 0; i < HIGH_SCORE_RECORDS; ++i) {
        char row[64];
        FormatHighScoreRow(row, sizeof row, i + 1, records[i].name, records[i].score);
        DrawText(screen, row, TEXT_CENTRE, 40 + 16 * i,
                 i == highlight - 1 ? MakeColour(0, 0, 0) : MakeColour(255, 255, 255));
    }
    FadeIn(screen, MakeColour(0, 0, 0), FadeStep);
    DiscardPendingMessages();  // taps made during the fades do not count
    return PanelModalLoop(panel, LeaveKeys, 2);
}
