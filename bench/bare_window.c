/* The least an SDL2 program shows on a desktop: a window of the game's size,
 * cleared and presented once, then waiting for its close. By default it draws
 * through an SDL renderer, as most SDL programs do; with --surface it writes
 * the window surface instead, as the game's SDL backend does.
 * bench/memory.sh sets the game's resident memory beside this one's, and
 * bench/startup_time.sh its start-up beside the game's: after its present it
 * writes "bare_window: present US" on stderr, US the monotonic clock in
 * microseconds, as the game's present trace does.
 *   bare_window [--surface] [WIDTH HEIGHT]     (default 480 x 640, the game at scale 2) */
#include <SDL.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static SDL_Renderer* renderer;

static int Present(SDL_Window* window) {
    if (!renderer) {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        if (!surface) return 0;
        SDL_FillRect(surface, NULL, SDL_MapRGB(surface->format, 0, 0, 0));
        return SDL_UpdateWindowSurface(window) == 0;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    return 1;
}

int main(int argc, char** argv) {
    const int surface = argc > 1 && strcmp(argv[1], "--surface") == 0;
    const int first = surface ? 2 : 1;
    const int width = argc > first + 1 ? atoi(argv[first]) : 480;
    const int height = argc > first + 1 ? atoi(argv[first + 1]) : 640;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "bare_window: %s\n", SDL_GetError());
        return 1;
    }
    if (surface) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Window* window = SDL_CreateWindow("Bare window", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, 0);
    if (window && !surface) renderer = SDL_CreateRenderer(window, -1, 0);
    if (!window || (!surface && !renderer) || !Present(window)) {
        fprintf(stderr, "bare_window: %s\n", SDL_GetError());
        return 1;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    SDL_RendererInfo info = {.name = "window-surface"};
    if (renderer) SDL_GetRendererInfo(renderer, &info);
    fprintf(stderr, "bare_window: present %lld\nbare_window: output %s\n",
            (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000, info.name);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT) {
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) Present(window);
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
