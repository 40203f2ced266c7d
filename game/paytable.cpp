#include "game/paytable.h"

#include "gfx/blit.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "shell/program.h"

const PayLine PayTable[PAY_LINES] = {
    {{10, 10, 10, 10}, 200}, {{9, 9, 9, 9}, 150},     {{8, 8, 8, 8}, 100},     {{0, 0, 0, 0}, 50},
    {{1, 1, 1, 1}, 50},      {{2, 2, 2, 2}, 50},      {{4, 4, 4, 4}, 50},      {{5, 5, 5, 5}, 50},
    {{7, 7, 7, 7}, 50},      {{11, 11, 11, 11}, 50},  {{10, 10, 10, 255}, 50}, {{9, 9, 9, 255}, 30},
    {{8, 8, 8, 255}, 20},    {{0, 0, 0, 255}, 10},    {{1, 1, 1, 255}, 10},    {{2, 2, 2, 255}, 10},
    {{4, 4, 4, 255}, 10},    {{5, 5, 5, 255}, 10},    {{7, 7, 7, 255}, 10},    {{11, 11, 11, 255}, 10},
};

static bool IsBar(uint8_t symbol) { return symbol >= 8 && symbol <= 10; }

int32_t Evaluate(const ReelSet& reels, int32_t* rows) {
    if (rows)
        for (int i = 0; i < REEL_COUNT; ++i) rows[i] = 0;
    uint8_t line[REEL_COUNT];
    for (int i = 0; i < REEL_COUNT; ++i) line[i] = SymbolAt(i, reels.reel[i].position);

    for (const PayLine& p : PayTable) {
        bool match = true;
        for (int i = 0; i < REEL_COUNT; ++i)
            if (p.symbol[i] != SYMBOL_ANY && p.symbol[i] != line[i]) match = false;
        if (match) return p.payout;
    }
    if (IsBar(line[0]) && IsBar(line[1]) && IsBar(line[2]) && IsBar(line[3])) return COMBO_PAYOUT;

    for (int i = 0; i < REEL_COUNT; ++i) {
        const int32_t p = reels.reel[i].position;
        const bool top = SymbolAt(i, p - 1) == SYMBOL_CHERRY, middle = line[i] == SYMBOL_CHERRY,
                   bottom = SymbolAt(i, p + 1) == SYMBOL_CHERRY;
        if (!top && !middle && !bottom) return 0;
        if (rows) {
            if (top) rows[i] = -1;
            if (middle) rows[i] = 0;
            if (bottom) rows[i] = 1;
        }
    }
    return COMBO_PAYOUT;
}

int32_t FeaturePoints(const ReelSet& reels) {
    int32_t points = 0;
    for (int i = 0; i < REEL_COUNT; ++i) {
        const uint8_t s = SymbolAt(i, reels.reel[i].position);
        if (IsBar(s)) points += s - 7;
    }
    return points;
}

namespace {
struct PulsingSymbol {
    Surface tile;
    int32_t cx, cy;
    int32_t wait, step, scale;
    bool finished;
};
}  // namespace

int ShowWinPulse(const ReelSet& reels, Surface& screen) {
    int32_t rows[REEL_COUNT];
    if (!Evaluate(reels, rows)) return 0;
    Surface saved;
    if (!saved.CopyFrom(screen)) return 0;

    PulsingSymbol pulse[REEL_COUNT];
    for (int i = 0; i < REEL_COUNT; ++i) {
        PulsingSymbol& p = pulse[i];
        const uint8_t symbol = SymbolAt(i, reels.reel[i].position + rows[i]);
        if (p.tile.Create(SYMBOL_SIZE, SYMBOL_SIZE)) {
            Blit(p.tile, 0, 0, SYMBOL_SIZE, SYMBOL_SIZE, SymbolImage, SymbolTiles[symbol][0], SymbolTiles[symbol][1],
                 BLIT_COPY);
            p.tile.SetTransparent(p.tile.pixels[0]);
        }
        p.cx = 33 + REEL_PITCH * i;
        p.cy = 85 + SYMBOL_SIZE * rows[i];
        p.wait = 50 * i;
        p.step = 10;
        p.scale = 100;
        p.finished = false;
    }

    for (;;) {
        screen.CopyFrom(saved);
        bool all = true;
        for (PulsingSymbol& p : pulse) {
            const int32_t size = p.scale * SYMBOL_SIZE / 100;
            p.tile.SetAlpha(static_cast<uint8_t>((150 - p.scale) * 255 / 50));
            screen.FillRect(p.cx - 25, p.cy - 25, p.cx + 25, p.cy + 25, 0xFFFF);
            if (p.tile.pixels) StretchBlit(screen, p.tile, p.cx - size / 2, p.cy - size / 2, size, size, BLIT_KEYED_BLEND);
            if (!p.finished) {
                if (p.wait > 0) {
                    p.wait -= 10;
                } else {
                    p.scale += p.step;
                    if (p.scale >= 150) p.step = -p.step;
                    if (p.scale < 100) {
                        p.finished = true;
                        p.scale = 100;
                    }
                }
            }
            all = all && p.finished;
        }
        Present(screen);
        Delay(50);
        if (all) break;
    }
    screen.CopyFrom(saved);
    Present(screen);
    return 1;
}
