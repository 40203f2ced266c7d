#include "gfx/font.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct GlyphSource {
    char character;
    const char* rows[GLYPH_ROWS];
};

// The alphabet, in slot order: the letters, the digits (segments a, f and b,
// g, e and c, d from the top), then the punctuation.
const GlyphSource Alphabet[GLYPH_SLOTS] = {
    {'a', {"oooo:::", "oo:oo::", "oo::oo:", "oo:::oo", "ooooooo", "oo:::oo", "oo:::oo"}},
    {'b', {"oooo:::", "oo:oo::", ":oo::::", "ooooo::", "oo::oo:", "oo:::oo", "oooooo:"}},
    {'c', {"::ooooo", ":oo::::", "oo:::::", "oo:::::", "oo:::::", "oo:::::", ":oooooo"}},
    {'d', {"oooo:::", "oo:oo::", "oo::oo:", "oo:::oo", "oo:::oo", "oo:::oo", "oooooo:"}},
    {'e', {"ooooooo", "oo:::::", "oo:::::", "ooooooo", "oo:::::", "oo:::::", "ooooooo"}},
    {'f', {"ooooooo", "oo:::::", "oo:::::", "ooooo::", "oo:::::", "oo:::::", "oo:::::"}},
    {'g', {"::oooo:", ":oo::::", "oo:::::", "oo:oooo", "oo:::oo", "oo:::oo", ":oooooo"}},
    {'h', {"oo::::o", "oo::::o", "oo::::o", "ooooooo", "oo::::o", "oo::::o", "oo::::o"}},
    {'i', {"::oooo:", ":::oo::", ":::oo::", ":::oo::", ":::oo::", ":::oo::", "::oooo:"}},
    {'j', {"::ooooo", ":::::oo", ":::::oo", ":::::oo", "oo:::oo", ":oo:oo:", "::ooo::"}},
    {'k', {"oo::oo:", "oo:oo::", "oooo:::", "ooo::::", "ooooo::", "oo::oo:", "oo:::oo"}},
    {'l', {"oo:::::", "oo:::::", "oo:::::", "oo:::::", "oo:::::", "oo:::::", "ooooooo"}},
    {'m', {"o:::::o", "oo:::oo", "ooo:ooo", "ooooooo", "oo:o:oo", "oo:::oo", "oo:::oo"}},
    {'n', {"oo:::oo", "ooo::oo", "oooo:oo", "oo:oooo", "oo::ooo", "oo:::oo", "oo:::oo"}},
    {'o', {"::ooo::", ":oo:oo:", "oo:::oo", "oo:::oo", "oo:::oo", "oo:::oo", ":ooooo:"}},
    {'p', {"ooooo::", "oo::oo:", "oo:::oo", "oo:::oo", "oooooo:", "oo:::::", "oo:::::"}},
    {'q', {"::ooo::", ":oo:oo:", "oo:::oo", "oo:o:oo", "oo:oooo", "oo::oo:", ":ooo:oo"}},
    {'r', {"ooooo::", "oo::oo:", "oo:::oo", "oooooo:", "oo:oo::", "oo::oo:", "oo:::oo"}},
    {'s', {"::ooooo", ":oo::::", "oo:::::", "ooooooo", ":::::oo", "::::oo:", "ooooo::"}},
    {'t', {"ooooooo", ":::oo::", ":::oo::", ":::oo::", ":::oo::", ":::oo::", ":::oo::"}},
    {'u', {"oo:::oo", "oo:::oo", "oo:::oo", "oo:::oo", "oo:::oo", "oo::oo:", ":oooo::"}},
    {'v', {"oo:::oo", "oo:::oo", ":oo:oo:", ":oo:oo:", "::ooo::", "::ooo::", ":::o:::"}},
    {'w', {"oo:::oo", "oo:::oo", "oo:::oo", "oo:::oo", "oo:o:oo", ":ooooo:", "::o:o::"}},
    {'x', {"oo::::o", ":oo::oo", "::oooo:", ":::oo::", "::oooo:", ":oo::oo", "oo::::o"}},
    {'y', {"oo::::o", ":oo::oo", "::oooo:", ":::oo::", ":::oo::", ":::oo::", ":::oo::"}},
    {'z', {"ooooooo", "::::oo:", ":::oo::", "::oo:::", ":oo::::", "oo:::::", "ooooooo"}},
    {'0', {":ooooo:", "oo:::oo", "oo:::oo", ":::::::", "oo:::oo", "oo:::oo", ":ooooo:"}},
    {'1', {":::::::", ":::::oo", ":::::oo", ":::::::", ":::::oo", ":::::oo", ":::::::"}},
    {'2', {":ooooo:", ":::::oo", ":::::oo", ":ooooo:", "oo:::::", "oo:::::", ":ooooo:"}},
    {'3', {":ooooo:", ":::::oo", ":::::oo", ":ooooo:", ":::::oo", ":::::oo", ":ooooo:"}},
    {'4', {":::::::", "oo:::oo", "oo:::oo", ":ooooo:", ":::::oo", ":::::oo", ":::::::"}},
    {'5', {":ooooo:", "oo:::::", "oo:::::", ":ooooo:", ":::::oo", ":::::oo", ":ooooo:"}},
    {'6', {":ooooo:", "oo:::::", "oo:::::", ":ooooo:", "oo:::oo", "oo:::oo", ":ooooo:"}},
    {'7', {":ooooo:", ":::::oo", ":::::oo", ":::::::", ":::::oo", ":::::oo", ":::::::"}},
    {'8', {":ooooo:", "oo:::oo", "oo:::oo", ":ooooo:", "oo:::oo", "oo:::oo", ":ooooo:"}},
    {'9', {":ooooo:", "oo:::oo", "oo:::oo", ":ooooo:", ":::::oo", ":::::oo", ":ooooo:"}},
    {':', {":::::::", ":::::::", ":::o:::", ":::::::", ":::::::", ":::o:::", ":::::::"}},
    {'!', {":::oo::", ":::oo::", ":::oo::", ":::oo::", ":::::::", ":::oo::", ":::oo::"}},
    {'?', {":oooo::", "::::oo:", "::::oo:", ":::oo::", ":::::::", "::oo:::", "::oo:::"}},
    {'-', {":::::::", ":::::::", ":::::::", "::oooo:", ":::::::", ":::::::", ":::::::"}},
    {'=', {":::::::", ":::::::", ":::::::", ":ooooo:", ":::::::", ":ooooo:", ":::::::"}},
    {'+', {":::::::", ":::o:::", ":::o:::", ":::o:::", ":::o:::", ":::o:::", ":::::::"}},
    {'[', {"::ooo::", "::o::::", "::o::::", "::o::::", "::o::::", "::o::::", "::ooo::"}},
    {']', {"::ooo::", "::::o::", "::::o::", "::::o::", "::::o::", "::::o::", "::ooo::"}},
    {' ', {":::::::", ":::::::", ":::::::", ":::::::", ":::::::", ":::::::", ":::::::"}},
    {'.', {":::::::", ":::::::", ":::::::", ":::::::", ":::::::", ":::oo::", ":::oo::"}},
    {',', {":::::::", ":::::::", ":::::::", ":::::::", "::::o::", "::::o::", ":::o:::"}},
    {'>', {":o:::::", "::o::::", ":::o:::", "::::o::", ":::o:::", "::o::::", ":o:::::"}},
    {'<', {"::::o::", ":::o:::", "::o::::", ":o:::::", "::o::::", ":::o:::", "::::o::"}},
    {'#', {"ooooooo", "ooooooo", "ooooooo", "ooooooo", "ooooooo", "ooooooo", "ooooooo"}},
    {'\'', {":::o:::", ":::o:::", "::o::::", ":::::::", ":::::::", ":::::::", ":::::::"}},
    {'@', {"::ooo::", ":o:::o:", "o::oo:o", "o:o:::o", "o::oooo", ":o:::::", "::oooo:"}},
    {'/', {"::::::o", ":::::o:", "::::o::", ":::o:::", "::o::::", ":o:::::", "o::::::"}},
};

// Each row in a buffer of its own, as the glyphs are built at start-up, and
// the same row as a mask of lit dots (bit k for dot k), which is what text
// is drawn from.
char* GlyphRows[GLYPH_SLOTS][GLYPH_ROWS];
uint8_t GlyphMasks[GLYPH_SLOTS][GLYPH_ROWS];
uint8_t GlyphIndex[256];

// For each row mask, eight 16-bit lanes in memory order, all ones where
// the dot is lit: a row is drawn as (pixels & ~lanes) | (colour & lanes).
struct LaneTable {
    uint64_t lanes[128][2];
    LaneTable() {
        for (unsigned m = 0; m < 128; ++m) {
            uint16_t row[8] = {};
            for (int k = 0; k < 7; ++k) row[k] = (m >> k) & 1 ? 0xFFFF : 0;
            std::memcpy(lanes[m], row, sizeof row);
        }
    }
};
const LaneTable LaneMasks;

constexpr int ROW_BUFFER = 10;
constexpr int ADVANCE = 8;
constexpr int LINE_SPACING = 9;
// Fixed for the 240 x 320 screen: a glyph started at x <= 230 ends by 236.
constexpr int WRAP_X = 230;
constexpr int LAST_LINE_Y = 300;

}  // namespace

void SetGlyph(int slot, const char* r0, const char* r1, const char* r2, const char* r3, const char* r4,
              const char* r5, const char* r6) {
    if (slot < 0 || slot >= GLYPH_SLOTS) return;
    const char* rows[GLYPH_ROWS] = {r0, r1, r2, r3, r4, r5, r6};
    for (int r = 0; r < GLYPH_ROWS; ++r) {
        char* row = GlyphRows[slot][r];
        if (!row) continue;
        // A row longer than its buffer keeps what fits.
        const size_t n = std::min(std::strlen(rows[r]), static_cast<size_t>(ROW_BUFFER - 1));
        std::memcpy(row, rows[r], n);
        row[n] = '\0';
        uint8_t mask = 0;
        for (size_t k = 0; k < std::min(n, static_cast<size_t>(GLYPH_ROWS)); ++k)
            if (row[k] == 'o') mask = static_cast<uint8_t>(mask | 1u << k);
        GlyphMasks[slot][r] = mask;
    }
}

void BuildFont() {
    FreeFont();
    for (auto& slot : GlyphRows)
        for (char*& row : slot) row = static_cast<char*>(std::calloc(ROW_BUFFER, 1));
    for (int s = 0; s < GLYPH_SLOTS; ++s) {
        const GlyphSource& g = Alphabet[s];
        SetGlyph(s, g.rows[0], g.rows[1], g.rows[2], g.rows[3], g.rows[4], g.rows[5], g.rows[6]);
    }
    std::memset(GlyphIndex, GLYPH_BLANK, sizeof GlyphIndex);
    for (int s = 0; s < GLYPH_SLOTS; ++s) GlyphIndex[static_cast<uint8_t>(Alphabet[s].character)] = static_cast<uint8_t>(s);
}

void FreeFont() {
    for (auto& slot : GlyphRows)
        for (char*& row : slot) {
            std::free(row);
            row = nullptr;
        }
    std::memset(GlyphMasks, 0, sizeof GlyphMasks);
}

int DrawText(Surface& surface, const char* text, int32_t x, int32_t y, uint16_t colour) {
    const int length = static_cast<int>(std::strlen(text));
    if (DrawingOff) return length;
    if (x == TEXT_CENTRE) x = (surface.width - ADVANCE * length) / 2;
    if (y == TEXT_CENTRE) y = (surface.height - 8) / 2;
    const int32_t lineStart = x;
    for (int i = 0; i < length; ++i) {
        const uint8_t ch = static_cast<uint8_t>(text[i]);
        if (ch == '\n' || ch == '\r') {
            x = lineStart;
            y += LINE_SPACING;
        } else {
            const uint8_t slot = GlyphIndex[ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch];
            const uint8_t* masks = GlyphMasks[slot];
            if (x >= 0 && y >= 0 && x + 8 <= surface.width && y + GLYPH_ROWS <= surface.height) {
                // Eight pixels of each row at once, the lit ones taken from
                // the colour through the row's lane mask (the eighth pixel
                // is never lit and is written back as it was).
                uint16_t* cell = surface.pixels + y * surface.width + x;
                const uint64_t paint = colour * 0x0001000100010001ull;  // in every lane
                for (int r = 0; r < GLYPH_ROWS; ++r, cell += surface.width) {
                    const uint64_t* lanes = LaneMasks.lanes[masks[r]];
                    uint64_t px[2];
                    std::memcpy(px, cell, sizeof px);
                    px[0] = (px[0] & ~lanes[0]) | (paint & lanes[0]);
                    px[1] = (px[1] & ~lanes[1]) | (paint & lanes[1]);
                    std::memcpy(cell, px, sizeof px);
                }
            } else {
                for (int r = 0; r < GLYPH_ROWS; ++r)
                    for (unsigned m = masks[r], k = 0; m; m >>= 1, ++k) {
                        const int32_t px = x + static_cast<int32_t>(k), py = y + r;
                        if ((m & 1) && px >= 0 && py >= 0 && px < surface.width && py < surface.height)
                            surface.PutPixel(px, py, colour);
                    }
            }
            x += ADVANCE;
        }
        if (x > WRAP_X) {
            x = lineStart;
            if (y < LAST_LINE_Y) y += LINE_SPACING;
        }
    }
    return length;
}
