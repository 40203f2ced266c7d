#include "platform/winapi/kernel.h"
#include "screens/lcd.h"

#include <cstdio>
#include <cstring>

#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/delay.h"
#include "gfx/display.h"
#include "platform/platform.h"
#include "shell/program.h"

namespace {

constexpr int LETTER_BLANK = 26;

int DigitCell(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c == ' ') return 10;
    if (c == '.') return 11;
    if (c == 'F') return 12;
    return -1;
}

int LetterCell(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c == ' ') return LETTER_BLANK;
    return -1;
}

// The saved picture with the blank cells blended over it at one alpha.
void BlankCells(Surface& surface, const Surface& saved, Surface& letters, int32_t x, int32_t y, int cells, int alpha) {
    surface.CopyFrom(saved);
    letters.SetAlpha(static_cast<uint8_t>(alpha));
    for (int i = 0; i < cells; ++i)
        Blit(surface, x + LCD_LETTER_WIDTH * i, y, LCD_LETTER_WIDTH, LCD_LETTER_HEIGHT, letters,
             LETTER_BLANK * LCD_LETTER_WIDTH, 0, BLIT_BLEND);
}

}  // namespace

int DrawLcdDigits(Surface& surface, int32_t x, int32_t y, const char* text) {
    if (!LcdDigitFont.pixels) return 0;
    for (const char* c = text; *c; ++c, x += LCD_DIGIT_WIDTH) {
        const int cell = DigitCell(*c);
        if (cell >= 0)
            Blit(surface, x, y, LCD_DIGIT_WIDTH, LCD_DIGIT_HEIGHT, LcdDigitFont, cell * LCD_DIGIT_WIDTH, 0, BLIT_COPY);
    }
    return 1;
}

int ScrollLcdMessage(Surface& surface, int32_t x, int32_t y, int cells, const char* text) {
    if (std::strlen(text) > LCD_MESSAGE_MAX) return 0;
    Surface saved, letters;
    if (!saved.CopyFrom(surface)) return 0;
    if (!LoadBitmapResource(letters, PlatformModule(), L"LCDALPHA")) return 0;

    char scroll[LCD_MESSAGE_MAX + 21];
    std::snprintf(scroll, sizeof scroll, "          %s          ", text);
    const int length = static_cast<int>(std::strlen(scroll));

    for (int a = 0;; a = a + 20 > 255 ? 255 : a + 20) {
        BlankCells(surface, saved, letters, x, y, cells, a);
        if (a == 255) break;
        Present(surface);
    }
    for (int o = 0; length - o >= cells; ++o) {
        for (int i = 0; i < cells; ++i) {
            const int cell = LetterCell(scroll[o + i]);
            if (cell >= 0)
                Blit(surface, x + LCD_LETTER_WIDTH * i, y, LCD_LETTER_WIDTH, LCD_LETTER_HEIGHT, letters,
                     cell * LCD_LETTER_WIDTH, 0, BLIT_COPY);
        }
        Present(surface);
        Delay(100);
    }
    for (int a = 255;; a = a < 20 ? 0 : a - 20) {
        BlankCells(surface, saved, letters, x, y, cells, a);
        if (a == 0) break;
        Present(surface);
    }
    return 1;
}
