#include "platform/winapi/kernel.h"
#include "screens/splash.h"

#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "gfx/lines.h"
#include "platform/platform.h"
#include "screens/lcd.h"
#include "shell/program.h"
#include "shell/screen_report.h"

namespace {

// The drawn title screen's four symbols: where they go, and their tiles.
const struct {
    int16_t x, y, sx, sy;
} TitleSymbols[] = {{20, 180, 100, 100}, {70, 180, 50, 50}, {120, 180, 0, 0}, {170, 180, 0, 50}};

}  // namespace

void ShowSplash(Machine& m) {
    ReportScreen("splash");
    const uint16_t black = MakeColour(0, 0, 0);
    Surface picture;
    if (LoadBitmapResource(picture, PlatformModule(), L"SPLASH")) {
        m.screen.CopyFrom(picture);
        FadeIn(m.screen, black, FadeStep);
        Present(m.screen);
        Delay(2000);
    } else {
        VerticalGradient(m.screen, MakeColour(128, 0, 0), black);
        DrawText(m.screen, "Vantaro", TEXT_CENTRE, 20, MakeColour(255, 255, 255));
        const uint16_t yellow = MakeColour(255, 255, 0);
        DrawText(m.screen, "A pub fruit machine", TEXT_CENTRE, 70, yellow);
        DrawText(m.screen, "Hold, nudge, gamble", TEXT_CENTRE, 80, yellow);
        for (const auto& t : TitleSymbols) Blit(m.screen, t.x, t.y, 50, 50, SymbolImage, t.sx, t.sy, BLIT_COPY);
        FadeIn(m.screen, black, FadeStep);
        ScrollLcdMessage(m.screen, 0, 270, 10, "Insert credits and spin those reels");
    }
    FadeOut(m.screen, black, FadeStep);
    RedrawAll(m);
    ReportScreen("machine");
    FadeIn(m.screen, black, FadeStep);
}
