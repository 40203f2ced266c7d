#include "game/reels.h"

#include <cstdlib>

#include "gfx/blit.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/sound.h"

const uint8_t ReelStrips[REEL_COUNT][STRIP_LENGTH] = {
    {0, 8, 1, 2, 9, 4, 5, 10, 7, 11},
    {8, 0, 1, 9, 5, 2, 11, 10, 7, 4},
    {11, 2, 8, 1, 0, 9, 4, 5, 10, 7},
    {4, 5, 0, 8, 1, 2, 9, 7, 11, 10},
};

const int16_t SymbolTiles[SYMBOL_COUNT][2] = {
    {0, 0}, {50, 0}, {100, 0}, {150, 0},
    {0, 50}, {50, 50}, {100, 50}, {150, 50},
    {0, 100}, {50, 100}, {100, 100}, {150, 100},
};

ReelSet::ReelSet() {
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reel[i];
        r.held = 0;
        r.direction = i % 2;
        r.speed = static_cast<uint8_t>(ReelStep);
        r.target = 0;
        r.done = 0;
        r.position = std::rand() % 10;
        r.offset = 0;
    }
}

int32_t WrapIndex(int32_t x) {
    if (x < 0) return x + 10;
    if (x < 10) return x;
    return x % 10;
}

uint8_t SymbolAt(int reel, int32_t index) { return ReelStrips[reel][WrapIndex(index)]; }

int StepReel(Reel& r) {
    if (r.held) {
        r.done = r.target;
        return 0;
    }
    if (r.done >= r.target) return 0;
    if (r.direction) {
        r.offset += r.speed;
        if (r.offset >= SYMBOL_SIZE) {
            r.offset = 0;
            r.position = WrapIndex(r.position - 1);
            r.done += 1;
        }
    } else {
        r.offset -= r.speed;
        if (r.offset <= -SYMBOL_SIZE) {
            r.offset = 0;
            r.position = WrapIndex(r.position + 1);
            r.done += 1;
        }
    }
    if (r.done == r.target) SoundPlay(ProgramPath(L"Sounds\\reel.wav"));
    return 1;
}

int StepAll(ReelSet& reels) {
    int moved = 0;
    for (Reel& r : reels.reel) moved += StepReel(r);
    return moved;
}

int FindSymbol(int reel, int symbol) {
    for (int i = 0; i < STRIP_LENGTH; ++i)
        if (ReelStrips[reel][i] == symbol) return i;
    return 0;
}

namespace {
// Each reel's strip composed once over white, at full strength and faded
// for a held reel: strip indices -2 to 11, top to bottom, 50 pixels each,
// which covers every window a reel can show at any offset. A frame of the
// reels is then one copy of 150 rows per reel.
constexpr int STRIP_FIRST = -2;
constexpr int STRIP_IMAGE_HEIGHT = (STRIP_LENGTH + 4) * SYMBOL_SIZE;

struct ReelStripImages {
    Surface strip[REEL_COUNT][2];  // [reel][held]
    const uint16_t* builtFrom = nullptr;  // SymbolImage's pixels when built
};

ReelStripImages& Strips() {
    static ReelStripImages strips;
    return strips;
}
}  // namespace

int BuildReelStrips() {
    ReelStripImages& s = Strips();
    s.builtFrom = nullptr;
    if (!SymbolImage.pixels) return 0;
    const uint8_t alpha = SymbolImage.alpha;
    for (int i = 0; i < REEL_COUNT; ++i) {
        for (int held = 0; held < 2; ++held) {
            Surface& strip = s.strip[i][held];
            if (!strip.Create(REEL_WIDTH, STRIP_IMAGE_HEIGHT)) {
                SymbolImage.SetAlpha(alpha);
                return 0;
            }
            strip.Fill(0xFFFF);
            SymbolImage.SetAlpha(held ? 128 : 255);
            for (int k = 0; k < STRIP_LENGTH + 4; ++k) {
                const uint8_t symbol = SymbolAt(i, STRIP_FIRST + k);
                Blit(strip, 0, SYMBOL_SIZE * k, SYMBOL_SIZE, SYMBOL_SIZE, SymbolImage, SymbolTiles[symbol][0],
                     SymbolTiles[symbol][1], BLIT_KEYED_BLEND);
            }
        }
    }
    SymbolImage.SetAlpha(alpha);
    s.builtFrom = SymbolImage.pixels;
    return 1;
}

void DrawReels(const ReelSet& reels, Surface& screen) {
    ReelStripImages& s = Strips();
    if (s.builtFrom != SymbolImage.pixels && !BuildReelStrips()) return;
    for (int i = 0; i < REEL_COUNT; ++i) {
        const Reel& r = reels.reel[i];
        // The symbol at the win line, position, sits in the window's middle
        // row, shifted by the offset.
        const int32_t top = (WrapIndex(r.position) - STRIP_FIRST - 1) * SYMBOL_SIZE - r.offset;
        Blit(screen, REEL_LEFT + REEL_PITCH * i, REEL_TOP, REEL_WIDTH, REEL_HEIGHT, s.strip[i][r.held ? 1 : 0], 0,
             top, BLIT_COPY);
    }
}
