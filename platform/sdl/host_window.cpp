// The window of the SDL backend on a desktop, Linux's or Windows' alike: its
// flags, the size it opens at, its icon, the status in its title, full
// screen, and the desktop's event wait. (A page does these its own way, in
// host_web.cpp.)
#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sdl/host.h"

namespace sdlhost {

void WaitForEvent(int timeoutMs) {
    if (timeoutMs < 0) SDL_WaitEvent(nullptr);
    else SDL_WaitEventTimeout(nullptr, timeoutMs);
}

Uint32 WindowFlags() { return SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI; }

void Presented() {}

// By default the largest scale, at most 4, whose window takes no more than
// 85 % of the desktop's usable height. A scale asked for (or kept from the
// last run) is taken as far as the window fits in the usable area at all;
// beyond, the largest that does. A window size the player left comes back
// as it was where it fits. Only --scale's fallback is said: a kept size or
// scale that no longer fits (another screen) is the player's own.
void ChooseSize(const PlatformOptions& options, const PlatformSettings& kept, int* width, int* height) {
    SDL_Rect usable;
    const bool known = SDL_GetDisplayUsableBounds(0, &usable) == 0;
    if (options.scale <= 0 && kept.width > 0 && (!known || (kept.width <= usable.w && kept.height <= usable.h))) {
        *width = kept.width;
        *height = kept.height;
        return;
    }
    const int asked = options.scale > 0 ? options.scale : kept.scale;
    int scale = asked > 0 ? asked : 2;
    if (known && asked <= 0) {
        scale = std::clamp(static_cast<int>(usable.h * 0.85) / FRAME_HEIGHT, 1, 4);
    } else if (known) {
        const int fits = std::max(1, std::min(usable.w / FRAME_WIDTH, usable.h / FRAME_HEIGHT));
        const bool byHeight = usable.h / FRAME_HEIGHT <= usable.w / FRAME_WIDTH;
        if (asked > fits && options.scale > 0)
            PlatformWarn("--scale %d does not fit this screen (%d pixels %s); using %d", asked,
                         byHeight ? usable.h : usable.w, byHeight ? "high" : "wide", fits);
        scale = std::min(asked, fits);
    }
    *width = FRAME_WIDTH * scale;
    *height = FRAME_HEIGHT * scale;
}

// "Vantaro - Volume 70%": plain ASCII, which the window system takes in
// any locale (under the C locale Xlib cannot convert a dash of Unicode's,
// and the window manager would go on showing the old title).
void ShowStatus(SDL_Window* window, const std::string& title, const std::string& text) {
    if (window) SDL_SetWindowTitle(window, (text.empty() ? title : title + " - " + text).c_str());
}

void SetWindowIcon(SDL_Window* window, const void* png, size_t size) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png, size)) return;
    image.format = PNG_FORMAT_RGBA;
    std::vector<Uint8> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            pixels.data(), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_RGBA32);
        if (surface) {
            SDL_SetWindowIcon(window, surface);
            SDL_FreeSurface(surface);
        }
    }
    png_image_free(&image);
}

bool SoundFromStart() { return true; }
void Shown() {}
bool ShowRows(const uint16_t*, int, int) { return false; }
void SettingsSaved() {}
void TypingText(bool) {}

void ToggleFullscreen(SDL_Window* window) {
    const bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

}  // namespace sdlhost
