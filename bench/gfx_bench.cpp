// Graphics benchmarks. Each measurement is also kept, so that the run ends
// with the targets checked against the references measured in the same run.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace {

constexpr int W = 240, H = 320;

std::map<std::string, double> NsPerRun;

// Runs body for every iteration and keeps the mean time of one run.
template <typename Body>
void Timed(benchmark::State& state, const char* name, Body body) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) body();
    const auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    if (state.iterations()) NsPerRun[name] = ns / static_cast<double>(state.iterations());
}

// A busy picture: noise with a run of key colour every few pixels, so the
// keyed modes have both kinds of pixel.
void Noise(Surface& s, int w, int h, uint32_t seed) {
    s.Create(w, h);
    for (int i = 0; i < w * h; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s.pixels[i] = (i % 7 < 2) ? 0xFFFF : static_cast<uint16_t>(seed >> 16);
    }
    s.SetTransparent(0xFFFF);
    s.SetAlpha(128);
}

struct Pictures {
    Surface screen, picture, tile;
    Pictures() {
        PlatformOptions options;
        options.backend = BackendKind::Headless;
        PlatformSelect(options);
        std::string error;
        PlatformInit(&error);
        InitGraphics();
        GXOpenDisplay(nullptr, GX_FULLSCREEN);
        Noise(screen, W, H, 1);
        Noise(picture, W, H, 2);
        Noise(tile, 50, 50, 3);
    }
};

Pictures& P() {
    static Pictures p;
    return p;
}

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint16_t> a(W * H, 1), b(W * H);
    Timed(state, "memcpy", [&] {
        std::memcpy(b.data(), a.data(), W * H * 2);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    });
}

void BM_Present(benchmark::State& state) {
    Timed(state, "Present", [] { Present(P().screen); });
}

void BM_PresentRectReels(benchmark::State& state) {
    Timed(state, "PresentRect", [] { PresentRect(P().screen, 0, 10, 240, 150); });
}

void BM_FadeFrame(benchmark::State& state) {
    Timed(state, "fade frame", [] {
        P().screen.Fill(0);
        Blit(P().screen, 0, 0, W, H, P().picture, 0, 0, BLIT_BLEND);
        Present(P().screen);
    });
}

void BM_Blit(benchmark::State& state) {
    static const char* names[] = {"BLIT_COPY", "BLIT_KEYED", "BLIT_BLEND", "BLIT_KEYED_BLEND"};
    const int mode = static_cast<int>(state.range(0));
    state.SetLabel(names[mode]);
    Timed(state, names[mode], [mode] {
        Blit(P().screen, 0, 0, W, H, P().picture, 0, 0, mode);
        benchmark::ClobberMemory();
    });
}

void BM_StretchBlit50To20(benchmark::State& state) {
    Timed(state, "StretchBlit", [] { StretchBlit(P().screen, P().tile, 100, 100, 20, 20, BLIT_KEYED); });
}

void BM_LoadBitmap(benchmark::State& state) {
    // A 240 x 320 8-bit file, as the game's pictures are.
    const int stride = W;
    std::vector<uint8_t> file(14 + 40 + 1024 + stride * H);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 1078);
    put32(14, 40);
    put32(18, W);
    put32(22, H);
    file[26] = 1;
    file[28] = 8;
    for (size_t i = 54; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 31);
    const std::string path = "/tmp/vantaro-bench.bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    Surface s;
    Timed(state, "LoadBitmap", [&] { benchmark::DoNotOptimize(LoadBitmapFile(s, path.c_str())); });
    std::remove(path.c_str());
}

// SDL2's blits of the same kind on RGB565 surfaces of the same pixels.
void BM_SdlBlit(benchmark::State& state) {
    static const char* names[] = {"SDL copy", "SDL key", "SDL alpha"};
    const int kind = static_cast<int>(state.range(0));
    state.SetLabel(names[kind]);
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(P().picture.pixels, W, H, 16, W * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(P().screen.pixels, W, H, 16, W * 2, SDL_PIXELFORMAT_RGB565);
    SDL_SetSurfaceBlendMode(src, kind == 2 ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    if (kind == 1) SDL_SetColorKey(src, SDL_TRUE, 0xFFFF);
    if (kind == 2) SDL_SetSurfaceAlphaMod(src, 128);
    Timed(state, names[kind], [&] {
        SDL_BlitSurface(src, nullptr, dst, nullptr);
        benchmark::ClobberMemory();
    });
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}

// pixman's OVER of an RGB565 picture through a constant-alpha mask.
void BM_PixmanOver(benchmark::State& state) {
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(P().picture.pixels), W * 2);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(P().screen.pixels), W * 2);
    const pixman_color_t half = {0, 0, 0, 0x8080};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    Timed(state, "pixman OVER", [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    });
    pixman_image_unref(mask);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

BENCHMARK(BM_MemcpyFrame);
BENCHMARK(BM_Present);
BENCHMARK(BM_PresentRectReels);
BENCHMARK(BM_FadeFrame);
BENCHMARK(BM_Blit)->DenseRange(0, 3);
BENCHMARK(BM_StretchBlit50To20);
BENCHMARK(BM_LoadBitmap);
BENCHMARK(BM_SdlBlit)->DenseRange(0, 2);
BENCHMARK(BM_PixmanOver);

// Checks one target; returns whether it held.
bool Check(const char* what, double ours, double reference, double factor, bool atMost) {
    const bool held = atMost ? ours <= reference * factor : ours * factor <= reference;
    std::printf("  %-44s %8.2f us vs %8.2f us  %s\n", what, ours / 1000, reference / 1000, held ? "met" : "MISSED");
    return held;
}

void PrintTargets() {
    auto t = [](const char* name) { return NsPerRun.count(name) ? NsPerRun[name] : 0.0; };
    if (!t("memcpy") || !t("BLIT_COPY") || !t("SDL alpha")) return;  // a filtered run
    std::printf("\nTargets (this run):\n");
    bool all = true;
    all &= Check("BLIT_COPY within 1.5 x memcpy", t("BLIT_COPY"), t("memcpy"), 1.5, true);
    all &= Check("BLIT_KEYED twice as fast as SDL's key blit", t("BLIT_KEYED"), t("SDL key"), 2, false);
    all &= Check("BLIT_BLEND twice as fast as SDL's alpha blit", t("BLIT_BLEND"), t("SDL alpha"), 2, false);
    all &= Check("fade frame under 10 x memcpy", t("fade frame"), t("memcpy"), 10, true);
    std::printf("%s\n", all ? "All targets met." : "Some targets missed.");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintTargets();
    return 0;
}
