#include "screens/name_entry.h"

#include <cstring>

#include "game/reels.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "platform/platform.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/screen_report.h"

constexpr char BigLetterPatterns[26 * 45 + 1] =
    // A
    " *** " "** **" "*   *" "*   *" "*****" "*   *" "*   *" "*   *" "*   *"
    // B
    "**** " "*   *" "*   *" "*   *" "**** " "*   *" "*   *" "*   *" "**** "
    // C
    " *** " "** **" "**   " "**   " "**   " "**   " "**   " "** **" " *** "
    // D
    "**** " "*  **" "*   *" "*   *" "*   *" "*   *" "*   *" "*  **" "**** "
    // E
    "*****" "**   " "*    " "*$   " "**** " "*$   " "*    " "**   " "*****"
    // F
    "*****" "**   " "**   " "**   " "*****" "**   " "**   " "**   " "**   "
    // G
    " *** " "** **" "*    " "*    " "* ***" "*   *" "*   *" "** **" " *** "
    // H
    "*   *" "*   *" "*   *" "*****" "*****" "*   *" "*   *" "*   *" "*   *"
    // I
    "$***$" "$***$" "  *  " "  *  " "  *  " "  *  " "  *  " " ***$" "$***$"
    // J
    "*****" "*****" "    *" "    *" "    *" "*   *" "*   *" "** **" " *** "
    // K
    "**  *" "** * " "***  " "**   " "**   " "**   " "***  " "** * " "**  *"
    // L
    "**   " "**   " "**   " "**   " "**   " "**   " "**   " "*****" "*****"
    // M
    "*   *" "** **" "** **" "* * *" "* * *" "*   *" "*   *" "*   *" "*   *"
    // N
    "*   *" "**  *" "**  *" "* * *" "* * *" "*  **" "*  **" "*   *" "*   *"
    // O
    " *** " "** **" "*   *" "*   *" "*   *" "*   *" "*   *" "** **" " *** "
    // P
    "**** " "*****" "*   *" "*   *" "**** " "**** " "*    " "*    " "*    "
    // Q
    " *** " "*$ $*" "*   *" "*   *" "*   *" "*   *" "* * *" "*  *$" " ** *"
    // R
    "**** " "*   *" "*   *" "*   *" "**** " "**** " "*   *" "*   *" "*   *"
    // S
    " *** " "** **" "*   *" "**   " " **  " "  ** " "*  **" "**  *" " *** "
    // T
    "*****" "*****" "* * *" "  *  " "  *  " "  *  " "  *  " " $*$ " "$*** "
    // U
    "*   *" "*   *" "*   *" "*   *" "*   *" "*   *" "*   *" "*****" "*****"
    // V
    "*   *" "*   *" "*   *" "*   *" "*   *" "**$**" "*****" " *** " "  *  "
    // W
    "*   *" "*   *" "*   *" "*   *" "*   *" "* * *" "*****" "** **" "*   *"
    // X
    "*   *" "*   *" "** **" " *** " " $*  " " *** " "** **" "*   *" "*   *"
    // Y
    "** **" "** **" "** **" "*****" " *** " "  *  " "  *  " "  *  " "  *  "
    // Z
    "*****" "    *" "   **" "   **" " *** " " *** " "**   " "*    " "*****";

const int16_t MosaicTiles[8][2] = {{0, 0}, {50, 0}, {100, 0}, {0, 50}, {50, 50}, {100, 50}, {150, 50}, {150, 100}};

namespace {

constexpr int CELL = 20;
constexpr int COLUMNS = 5;
constexpr int BOX_WIDTH = 100;
constexpr int BOX_HEIGHT = 180;

constexpr bool EveryPatternHasItsCells() {
    for (int letter = 0; letter < 26; ++letter) {
        int cells = 0;
        for (int i = 0; i < 45; ++i) cells += BigLetterPatterns[letter * 45 + i] != ' ';
        if (cells != BIG_LETTER_CELLS) return false;
    }
    return true;
}
static_assert(EveryPatternHasItsCells(), "any letter must turn into any other cell for cell");

enum Button { OK = 1, CANCEL = 2, NEXT = 3, PREVIOUS = 4, SELECT = 5, REMOVE = 6 };

// The eight mosaic tiles, each keyed on its own top-left pixel and scaled
// once to the size of a cell, as every cell would scale it (nearest
// neighbour): a cell is then a plain 20 x 20 blit. Made on first use and
// again when SymbolImage's pixels change.
struct Tiles {
    Surface tile[8];
    const uint16_t* builtFrom = nullptr;
    bool Make() {
        if (builtFrom && builtFrom == SymbolImage.pixels) return true;
        builtFrom = nullptr;
        if (!SymbolImage.pixels) return false;
        Surface full;
        if (!full.Create(SYMBOL_SIZE, SYMBOL_SIZE)) return false;
        for (int i = 0; i < 8; ++i) {
            Blit(full, 0, 0, SYMBOL_SIZE, SYMBOL_SIZE, SymbolImage, MosaicTiles[i][0], MosaicTiles[i][1], BLIT_COPY);
            if (!tile[i].Create(CELL, CELL)) return false;
            StretchBlit(tile[i], full, 0, 0, CELL, CELL, BLIT_COPY);
            tile[i].SetTransparent(full.pixels[0]);
        }
        builtFrom = SymbolImage.pixels;
        return true;
    }
    // Blended at alpha: fully opaque is a keyed copy, fully clear is nothing.
    void Draw(Surface& s, int i, int32_t x, int32_t y, int alpha) {
        if (alpha <= 0) return;
        Surface& t = tile[i % 8];
        t.SetAlpha(static_cast<uint8_t>(alpha));
        Blit(s, x, y, CELL, CELL, t, 0, 0, alpha >= 255 ? BLIT_KEYED : BLIT_KEYED_BLEND);
    }
};

Tiles tiles;

// v / 255 to the nearest integer, as the blend rounds.
int32_t Scale255(int32_t v) {
    const int32_t w = v + 128;
    return (w + (w >> 8)) >> 8;
}

}  // namespace

void DrawBigLetter(Surface& s, int32_t x, int32_t y, int letter) {
    if (letter < 0 || letter >= 26 || !tiles.Make()) return;
    const char* pattern = BigLetterPatterns + 45 * letter;
    for (int i = 0, k = 0; i < 45; ++i) {
        if (pattern[i] == ' ') continue;
        if (pattern[i] == '*') tiles.Draw(s, k, x + CELL * (i % COLUMNS), y + CELL * (i / COLUMNS), 255);
        ++k;
    }
}

void MorphBigLetter(Surface& s, int32_t x, int32_t y, int from, int to) {
    if (from < 0 || from >= 26 || to < 0 || to >= 26 || !tiles.Make()) return;
    struct Cell {
        int32_t column, row, alpha;
    };
    // The i-th cell of the old letter flies to the i-th of the new.
    auto cells = [](int letter, Cell out[BIG_LETTER_CELLS]) {
        const char* pattern = BigLetterPatterns + 45 * letter;
        for (int i = 0, k = 0; i < 45; ++i)
            if (pattern[i] != ' ') out[k++] = {i % COLUMNS, i / COLUMNS, pattern[i] == '*' ? 255 : 0};
    };
    Cell a[BIG_LETTER_CELLS], b[BIG_LETTER_CELLS];
    cells(from, a);
    cells(to, b);
    const int step = MorphStep > 0 ? MorphStep : 255;
    for (int t = 0; t < 255; t += step) {
        s.FillRect(x, y, x + BOX_WIDTH, y + BOX_HEIGHT, MakeColour(255, 255, 255));
        for (int i = 0; i < BIG_LETTER_CELLS; ++i) {
            const int32_t cx = CELL * a[i].column + Scale255(CELL * (b[i].column - a[i].column) * t);
            const int32_t cy = CELL * a[i].row + Scale255(CELL * (b[i].row - a[i].row) * t);
            const int32_t alpha = a[i].alpha + Scale255((b[i].alpha - a[i].alpha) * t);
            tiles.Draw(s, i, x + cx, y + cy, alpha & 0xFF);
        }
        Present(s);
    }
}

int EnterName(Surface& s, char* name) {
    ReportScreen("names");
    const uint16_t white = MakeColour(255, 255, 255), black = MakeColour(0, 0, 0);
    s.Fill(white);
    DrawText(s, "Enter Name", TEXT_CENTRE, 10, MakeColour(255, 0, 0));
    const int32_t boxX = (s.width - BOX_WIDTH) / 2, boxY = 20;
    ButtonPanel panel;
    PanelInit(panel);
    PanelAdd(panel, OK, "OK", 10, 290, 60, 20, 0);
    PanelAdd(panel, CANCEL, "Cancel", 170, 290, 60, 20, 0);
    PanelAdd(panel, PREVIOUS, "<<", boxX - 40, 50, 30, 120, 0);
    PanelAdd(panel, NEXT, ">>", boxX + 110, 50, 30, 120, 0);
    PanelAdd(panel, SELECT, "Select", 55, 230, 60, 20, 0);
    PanelAdd(panel, REMOVE, "Delete", 125, 230, 60, 20, 0);
    PanelDraw(panel, s);
    FadeIn(s, black, FadeStep);

    // Typed letters, Backspace and Enter, besides the buttons and the
    // device keys; the gamepad's A selects the letter shown, B deletes and
    // Start is OK.
    constexpr int TYPED = 100;  // TYPED + 0 to 25: that letter was typed
    PanelKey keys[31];
    for (int i = 0; i < 26; ++i) keys[i] = {'A' + i, TYPED + i};
    keys[26] = {VK_BACK, REMOVE};
    keys[27] = {VK_RETURN, OK};
    keys[28] = {VK_GAMEPAD_A, SELECT};
    keys[29] = {VK_GAMEPAD_B, REMOVE};
    keys[30] = {VK_GAMEPAD_MENU, OK};

    int current = 0, drawn = 0;
    size_t length = std::strlen(name);
    if (length > NAME_LETTERS_MAX) name[length = NAME_LETTERS_MAX] = 0;
    bool redraw = true;
    PlatformTypingText(true);  // M is a letter here, not the mute key
    for (;;) {
        ShownScreen.entered = name;
        ShownScreen.letter = current;
        if (redraw) {
            s.FillRect(50, 210, 190, 226, black);
            DrawText(s, name, TEXT_CENTRE, 214, white);
            if (drawn != current) MorphBigLetter(s, boxX, boxY, drawn, current);
            s.FillRect(boxX, boxY, boxX + BOX_WIDTH, boxY + BOX_HEIGHT, white);
            DrawBigLetter(s, boxX, boxY, current);
            Present(s);
            redraw = false;
            drawn = current;
        }
        int result = PanelModalLoop(panel, keys, 31);
        if (result >= TYPED && result < TYPED + 26) {
            // A typed letter is shown, with its morph, and selected.
            current = result - TYPED;
            redraw = true;
            result = SELECT;
        }
        switch (result) {
            case 0:
            case OK:
            case CANCEL:
                PlatformTypingText(false);
                ShownScreen.entered = "";  // the buffer is the caller's
                FadeOut(s, black, 50);
                return result;
            case SELECT:
            case PANEL_KEY_UP:
                if (length < NAME_LETTERS_MAX) {
                    name[length++] = static_cast<char>('A' + current);
                    name[length] = 0;
                    redraw = true;
                }
                break;
            case REMOVE:
            case PANEL_KEY_DOWN:
                if (length > 0) {
                    name[--length] = 0;
                    redraw = true;
                }
                break;
            case NEXT:
            case PANEL_KEY_RIGHT:
                current = (current + 1) % 26;
                redraw = true;
                break;
            case PREVIOUS:
            case PANEL_KEY_LEFT:
                current = (current + 25) % 26;
                redraw = true;
                break;
            default:
                break;  // the device's Start (Esc) does nothing here
        }
    }
}
