#include "game/gamble_ladder.h"

#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/font.h"
#include "platform/winapi/kernel.h"
#include "screens/lcd.h"
#include "shell/panel.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/screen_report.h"
#include "shell/sound.h"

const LadderRung LadderRungs[LADDER_RUNGS] = {
    {0, 240, 0}, {0, 160, 0}, {0, 80, 0}, {0, 0, 1}, {80, 0, 2}, {160, 0, 1}, {160, 80, 5}, {160, 160, 1},
};

const LadderTilePair LadderTilePairs[6] = {
    {0, 0, 0, 80}, {80, 160, 0, 0}, {80, 160, 80, 80}, {80, 160, 160, 160}, {80, 160, 240, 240}, {0, 0, 160, 240},
};

namespace {

const RECT ClimbButton = {80, 240, 160, 320};
const RECT CollectButton = {160, 240, 240, 320};

enum class Ending { None, Lost, Top, Collected };

struct Ladder {
    Surface& screen;
    Surface climb, buttons;
    int32_t value;
    int32_t rung = 0;
    int32_t phase = 0;
    DWORD frameMs = LADDER_FIRST_FRAME_MS;
    int32_t climbs = 0;
};

void DrawTile(Ladder& l, int rung, bool lit, int mode) {
    const LadderRung& r = LadderRungs[rung];
    const LadderTilePair& p = LadderTilePairs[r.pair];
    Blit(l.screen, r.x, r.y, LADDER_TILE, LADDER_TILE, l.climb, lit ? p.litX : p.darkX, lit ? p.litY : p.darkY, mode);
}

void Report(const Ladder& l) {
    ShownScreen.name = "ladder";
    ShownScreen.rung = l.rung;
    ShownScreen.phase = l.phase;
    ShownScreen.value = l.value;
}

void DrawFrame(Ladder& l) {
    const uint16_t black = MakeColour(0, 0, 0);
    char text[32];
    l.screen.FillRect(80, 80, 160, 160, MakeColour(255, 255, 255));
    DrawText(l.screen, "Prize", 81, 80, black);
    DrawText(l.screen, "Cash", 81, 120, black);
    FormatMoney(text, sizeof text, l.value * 2);
    DrawLcdDigits(l.screen, 81, 90, text);
    FormatMoney(text, sizeof text, l.value);
    DrawLcdDigits(l.screen, 81, 130, text);
    DrawTile(l, l.rung, l.phase == 0, BLIT_KEYED);
    DrawTile(l, l.rung + 1, l.phase == 1, BLIT_KEYED);
}

// A close request (the window's close button, the session ending) is looked
// for in every wait, so the ladder never holds the program open. It is
// taken without being handled; the window system delivers it again at the
// next wait for messages, and the program then closes.
bool CloseRequested() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

bool StylusDown() { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

// The rest of the frame, leaving the queue alone: a tap meanwhile is judged
// against the next frame's lights. False on a close request.
bool WaitFrameEnd(const Ladder& l) {
    for (DWORD elapsed; (elapsed = ElapsedMs()) < l.frameMs;) {
        if (CloseRequested()) return false;
        PlatformPause(l.frameMs - elapsed);
    }
    return true;
}

bool WaitStylusUp() {
    while (StylusDown()) {
        if (CloseRequested()) return false;
        PlatformPause(10);
    }
    return true;
}

// Takes and throws away every message until the frame time is up; a tap on
// one of the two buttons decides.
Ending TakeTaps(Ladder& l) {
    MSG msg;
    for (DWORD elapsed; (elapsed = ElapsedMs()) < l.frameMs;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            PlatformPause(l.frameMs - elapsed);
            continue;
        }
        if (msg.message == WM_CLOSE) return Ending::Collected;
        POINT point;
        if (msg.message == WM_LBUTTONDOWN) {
            point = {LOWORD(msg.lParam), HIWORD(msg.lParam)};
        } else if (msg.message == WM_KEYDOWN && !IsKeyRepeat(msg.lParam) &&
                   (msg.wParam == VK_SPACE || msg.wParam == VK_RETURN || msg.wParam == VK_GAMEPAD_A ||
                    msg.wParam == VK_GAMEPAD_B)) {
            // Space (the gamepad's A) is a tap on CLIMB and Enter (B) one on
            // COLLECT, judged by the lights at this moment as a tap would be.
            const bool climb = msg.wParam == VK_SPACE || msg.wParam == VK_GAMEPAD_A;
            const RECT& button = climb ? ClimbButton : CollectButton;
            point = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        } else {
            continue;
        }
        if (PtInRect(&CollectButton, point)) return Ending::Collected;
        if (!PtInRect(&ClimbButton, point)) continue;
        if (l.phase == 0) {
            l.value = 0;
            return Ending::Lost;
        }
        l.value *= 2;
        l.rung += 1;
        l.climbs += 1;
        if (l.climbs == LADDER_CLIMBS) return Ending::Top;
        l.frameMs -= LADDER_FRAME_STEP_MS;
        Report(l);
        if (!WaitFrameEnd(l) || !WaitStylusUp()) return Ending::Collected;
        l.phase = 0;
        return Ending::None;
    }
    if (!WaitStylusUp()) return Ending::Collected;
    l.phase ^= 1;
    return Ending::None;
}

}  // namespace

int32_t PlayGambleLadder(Machine& m, int32_t stake) {
    SoundLoop(ProgramPath(L"Sounds\\nudge.wav"));
    Ladder l{m.screen, {}, {}, stake};
    if (!LoadBitmapFile(l.climb, ProgramPathNarrow("Images\\climb.bmp")) ||
        !LoadBitmapFile(l.buttons, ProgramPathNarrow("Images\\btns.bmp"))) {
        // The prize is not the player's to lose for a missing picture.
        SoundStop();
        return stake;
    }
    l.climb.SetTransparent(l.climb.pixels[0]);

    Surface& s = m.screen;
    s.Fill(MakeColour(255, 255, 255));
    Blit(s, ClimbButton.left, ClimbButton.top, LADDER_TILE, LADDER_TILE, l.buttons, 0, 0, BLIT_COPY);
    Blit(s, CollectButton.left, CollectButton.top, LADDER_TILE, LADDER_TILE, l.buttons, LADDER_TILE, 0, BLIT_COPY);
    for (int r = 0; r < LADDER_RUNGS; ++r) DrawTile(l, r, false, BLIT_COPY);
    Report(l);
    FadeIn(s, MakeColour(0, 0, 0), FadeStep);

    Ending ending = Ending::None;
    while (ending == Ending::None) {
        DrawFrame(l);
        Report(l);
        Present(s);
        StartTimer();
        ending = TakeTaps(l);
    }
    Report(l);
    if (ending != Ending::Collected) {
        SoundPlay(ProgramPath(ending == Ending::Lost ? L"Sounds\\fail.wav" : L"Sounds\\win.wav"));
        Delay(3000);
    }
    FadeOut(s, MakeColour(0, 0, 0), FadeStep);
    ReportScreen("machine");
    RedrawAll(m);
    FadeIn(s, MakeColour(0, 0, 0), FadeStep);
    return l.value;
}
