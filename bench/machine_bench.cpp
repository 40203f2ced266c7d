// The machine's own frames on the headless display, with the real pictures
// and the main window's nine buttons, beside a memcpy of one frame measured
// in the same run. The run ends with every row as a multiple of that memcpy
// and the targets checked.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/machine_setup.h"
#include "game/machine.h"
#include "game/paytable.h"
#include "game/reels.h"
#include "game/status_panel.h"
#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "platform/winapi/gx.h"
#include "platform/platform.h"
#include "screens/name_entry.h"
#include "screens/paytable_screen.h"
#include "shell/panel.h"
#include "shell/program.h"
#include "shell/winmain.h"

namespace {

constexpr int W = 240, H = 320;

std::map<std::string, double> NsPerRun;

// Runs body for every iteration and keeps the mean time of one run.
template <typename Body>
void Timed(benchmark::State& state, const std::string& name, Body body) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) body();
    const auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    if (state.iterations()) NsPerRun[name] = ns / static_cast<double>(state.iterations());
}

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint16_t> a(W * H, 1), b(W * H);
    Timed(state, "memcpy", [&] {
        std::memcpy(b.data(), a.data(), W * H * 2);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    });
}

void BM_SpinFrame(benchmark::State& state) {
    Machine& m = BenchMachine();
    const unsigned held = static_cast<unsigned>(state.range(0));
    const std::string name = held ? "spin frame, reels 1 and 3 held" : "spin frame";
    state.SetLabel(held ? "reels 1 and 3 held" : "no holds");
    ReelSet reels;
    StartMoving(reels, held);
    Timed(state, name, [&] { SpinFrame(m, reels); });
}

// DrawReels alone, for the split of a spin frame.
void BM_DrawReels(benchmark::State& state) {
    Machine& m = BenchMachine();
    ReelSet reels;
    StartMoving(reels, 0);
    Timed(state, "DrawReels", [&] {
        DrawReels(reels, m.screen);
        benchmark::ClobberMemory();
    });
}

// Reels at rest on a win: the bar symbol 10 on every win line.
void SetWinningReels(ReelSet& reels) {
    for (int i = 0; i < REEL_COUNT; ++i) {
        Reel& r = reels.reel[i];
        r.position = FindSymbol(i, 10);
        r.offset = 0;
        r.target = r.done = 0;
        r.held = 0;
    }
}

// The heaviest frame of the win pulse, through the same calls ShowWinPulse
// makes: the saved frame copied back, then for each of the four symbols the
// white square under it and its 50 x 50 tile stretched, keyed and blended,
// here all four at the largest size of the pulse (scale 150: 75 x 75), then
// the whole frame presented.
void BM_WinPulseFrame(benchmark::State& state) {
    Machine& m = BenchMachine();
    ReelSet reels;
    SetWinningReels(reels);
    DrawReels(reels, m.screen);
    Surface saved;
    saved.CopyFrom(m.screen);
    Surface tile[REEL_COUNT];
    for (int i = 0; i < REEL_COUNT; ++i) {
        const uint8_t symbol = SymbolAt(i, reels.reel[i].position);
        tile[i].Create(SYMBOL_SIZE, SYMBOL_SIZE);
        Blit(tile[i], 0, 0, SYMBOL_SIZE, SYMBOL_SIZE, SymbolImage, SymbolTiles[symbol][0], SymbolTiles[symbol][1],
             BLIT_COPY);
        tile[i].SetTransparent(tile[i].pixels[0]);
    }
    const int32_t scale = 150;  // the top of the pulse
    const int32_t size = scale * SYMBOL_SIZE / 100;
    Timed(state, "win-pulse frame", [&] {
        m.screen.CopyFrom(saved);
        for (int i = 0; i < REEL_COUNT; ++i) {
            const int32_t cx = 33 + REEL_PITCH * i, cy = 85;
            tile[i].SetAlpha(static_cast<uint8_t>((150 - scale) * 255 / 50));
            m.screen.FillRect(cx - 25, cy - 25, cx + 25, cy + 25, 0xFFFF);
            StretchBlit(m.screen, tile[i], cx - size / 2, cy - size / 2, size, size, BLIT_KEYED_BLEND);
        }
        Present(m.screen);
    });
    m.screen.CopyFrom(saved);
}

// The whole pulse as the game runs it: 26 frames, each presented, then the
// frame restored and presented once more. Its Delay(50) between frames runs
// on the headless virtual clock and so takes no real time.
void BM_ShowWinPulse(benchmark::State& state) {
    Machine& m = BenchMachine();
    ReelSet reels;
    SetWinningReels(reels);
    DrawReels(reels, m.screen);
    Timed(state, "ShowWinPulse", [&] { benchmark::DoNotOptimize(ShowWinPulse(reels, m.screen)); });
}

void BM_DrawStatusPanel(benchmark::State& state) {
    Machine& m = BenchMachine();
    Timed(state, "DrawStatusPanel", [&] {
        DrawStatusPanel(m);
        benchmark::ClobberMemory();
    });
}

void BM_PanelDraw(benchmark::State& state) {
    Machine& m = BenchMachine();
    Timed(state, "PanelDraw", [&] {
        PanelDraw(m.buttons, m.screen);
        benchmark::ClobberMemory();
    });
}

void BM_RedrawAll(benchmark::State& state) {
    Machine& m = BenchMachine();
    Timed(state, "RedrawAll", [&] {
        RedrawAll(m);
        benchmark::ClobberMemory();
    });
}

// Name entry's letter morph: each frame fills the letter box, scales and
// blends the 24 cells and presents the whole screen. With the step at 255 a
// morph is one frame; at 20 (the game's) it is 13.
void BM_MorphFrame(benchmark::State& state) {
    Machine& m = BenchMachine();
    const int32_t step = MorphStep;
    MorphStep = static_cast<int32_t>(state.range(0));
    Timed(state, state.range(0) == 255 ? "morph frame" : "morph, 13 frames", [&] {
        MorphBigLetter(m.screen, 70, 20, 4, 5);  // E into F: invisible cells fade
        benchmark::ClobberMemory();
    });
    MorphStep = step;
}

void BM_DrawPayTable(benchmark::State& state) {
    Machine& m = BenchMachine();
    Timed(state, "DrawPayTable", [&] {
        DrawPayTable(m.screen);
        benchmark::ClobberMemory();
    });
}

BENCHMARK(BM_MemcpyFrame);
BENCHMARK(BM_SpinFrame)->Arg(0)->Arg(0b1010);
BENCHMARK(BM_DrawReels);
BENCHMARK(BM_WinPulseFrame);
BENCHMARK(BM_ShowWinPulse);
BENCHMARK(BM_DrawStatusPanel);
BENCHMARK(BM_PanelDraw);
BENCHMARK(BM_RedrawAll);
BENCHMARK(BM_MorphFrame)->Arg(255)->Arg(20);
BENCHMARK(BM_DrawPayTable);

constexpr int PULSE_FRAMES = 26;

void PrintSummary() {
    auto t = [](const char* name) { return NsPerRun.count(name) ? NsPerRun[name] : 0.0; };
    const double memcpyNs = t("memcpy");
    if (!memcpyNs) return;  // a filtered run
    std::printf("\nAgainst a memcpy of one 240 x 320 frame (%.2f us, this run):\n", memcpyNs / 1000);
    auto row = [&](const char* what, double ns) {
        if (ns) std::printf("  %-44s %9.2f us  %6.2f x memcpy\n", what, ns / 1000, ns / memcpyNs);
    };
    row("spin frame", t("spin frame"));
    row("spin frame, reels 1 and 3 held", t("spin frame, reels 1 and 3 held"));
    row("  of which DrawReels", t("DrawReels"));
    row("win-pulse frame (four tiles at 75 x 75)", t("win-pulse frame"));
    row("ShowWinPulse, whole (26 frames + restore)", t("ShowWinPulse"));
    row("ShowWinPulse per frame (whole / 26)", t("ShowWinPulse") / PULSE_FRAMES);
    row("DrawStatusPanel", t("DrawStatusPanel"));
    row("PanelDraw, nine buttons", t("PanelDraw"));
    row("RedrawAll", t("RedrawAll"));
    row("name entry: a morph frame (24 cells, a present)", t("morph frame"));
    row("name entry: a whole morph (13 frames) / 13", t("morph, 13 frames") / 13);
    row("DrawPayTable", t("DrawPayTable"));

    bool all = true;
    std::printf("\nTargets (this run):\n");
    for (const char* name : {"spin frame", "RedrawAll", "morph frame"}) {
        const double ns = t(name);
        if (!ns) continue;
        const bool held = ns <= 5 * memcpyNs;
        all &= held;
        std::printf("  %-44s %8.2f us vs %8.2f us  %s\n", (std::string(name) + " within 5 x memcpy").c_str(),
                    ns / 1000, 5 * memcpyNs / 1000, held ? "met" : "MISSED");
    }
    std::printf("%s\n", all ? "All targets met." : "Some targets missed.");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
