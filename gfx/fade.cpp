#include "gfx/fade.h"

#include "gfx/blit.h"
#include "gfx/display.h"

// Each frame mixes a scratch copy of the picture over the flat colour at the
// frame's level and presents it: levels 0, step, 2 step, ... and 255.
static void Fade(Surface& surface, uint16_t colour, int step, bool out) {
    if (step <= 0) return;  // would never reach the end
    Surface picture;
    if (!picture.CopyFrom(surface)) return;
    for (int level = 0;; level = level + step > 255 ? 255 : level + step) {
        surface.Fill(colour);
        picture.SetAlpha(static_cast<uint8_t>(out ? 255 - level : level));
        Blit(surface, 0, 0, surface.width, surface.height, picture, 0, 0, BLIT_BLEND);
        Present(surface);
        if (level >= 255) break;
    }
}

void FadeOut(Surface& surface, uint16_t colour, int step) { Fade(surface, colour, step, true); }
void FadeIn(Surface& surface, uint16_t colour, int step) { Fade(surface, colour, step, false); }
