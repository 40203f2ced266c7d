// Where the game puts things on, and takes things from, each picture. The
// art is drawn around these rectangles, so they live in one place and match
// the game's drawing code.
#pragma once
#include <array>

namespace art {

struct Rect {
    int x, y, w, h;
    constexpr int Right() const { return x + w; }
    constexpr int Bottom() const { return y + h; }
};

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The transparent key of the white-keyed sheets; any colour whose channels
// are all at least kKeyFloor truncates to the key in RGB565.
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr int kKeyFloor = 248;

namespace screen {
inline constexpr int kWidth = 240;
inline constexpr int kHeight = 320;
}  // namespace screen

namespace machine {
inline constexpr std::array<int, 4> kReelX{8, 66, 124, 182};
inline constexpr int kReelY = 10;
inline constexpr int kReelW = 50;
inline constexpr int kReelH = 150;
inline constexpr int kWinLineY = 85;
inline constexpr int kHoldY = 165;
inline constexpr int kHoldW = 52;
inline constexpr int kHoldH = 20;
inline constexpr int kButtonX = 164;
inline constexpr std::array<int, 5> kButtonY{200, 223, 246, 269, 292};
inline constexpr int kButtonW = 70;
inline constexpr int kButtonH = 20;
inline constexpr Rect kStatusPanel{0, 195, 164, 125};
inline constexpr std::array<int, 2> kStatusColumnX{10, 100};
inline constexpr std::array<int, 3> kLabelY{200, 240, 280};
inline constexpr std::array<int, 3> kValueY{210, 250, 290};
inline constexpr Rect kMessageStrip{0, 270, 240, 42};
}  // namespace machine

namespace symbols {
inline constexpr int kCount = 12;
inline constexpr int kTile = 50;
inline constexpr int kPerRow = 4;
inline constexpr int kSheetW = 200;
inline constexpr int kSheetH = 150;
// The sizes the game shrinks tiles to besides the reels' full size.
inline constexpr std::array<int, 2> kSampledSizes{20, 12};
}  // namespace symbols

namespace ladder {
inline constexpr int kTile = 80;
inline constexpr int kSheetW = 240;
inline constexpr int kSheetH = 320;
struct Pair {
    int darkX, darkY, litX, litY;
};
inline constexpr std::array<Pair, 6> kPairs{{
    {0, 0, 0, 80},
    {80, 0, 160, 0},
    {80, 80, 160, 80},
    {80, 160, 160, 160},
    {80, 240, 160, 240},
    {0, 160, 0, 240},
}};
// Which pair each rung of the ladder shows, and where, bottom rung first.
struct Rung {
    int x, y, pair;
};
inline constexpr std::array<Rung, 8> kRungs{{
    {0, 240, 0},
    {0, 160, 0},
    {0, 80, 0},
    {0, 0, 1},
    {80, 0, 2},
    {160, 0, 1},
    {160, 80, 5},
    {160, 160, 1},
}};
}  // namespace ladder

namespace buttons {
inline constexpr int kSize = 80;
inline constexpr int kSheetW = 160;
inline constexpr int kSheetH = 80;
}  // namespace buttons

namespace lcd {
inline constexpr int kCellW = 13;
inline constexpr int kCellH = 23;
inline constexpr int kCells = 13;  // 0-9, blank, decimal point, F
inline constexpr int kBlank = 10;
inline constexpr int kPoint = 11;
inline constexpr int kLetterF = 12;
inline constexpr Rgb kLit{255, 0, 0};
inline constexpr Rgb kUnlit{128, 0, 0};
}  // namespace lcd

namespace lcdalpha {
inline constexpr int kCellW = 24;
inline constexpr int kCellH = 41;
inline constexpr int kCells = 27;  // A-Z, blank
inline constexpr Rgb kLit{0, 255, 0};
inline constexpr Rgb kUnlit{1, 75, 1};
}  // namespace lcdalpha

inline constexpr Rgb kBlack{0, 0, 0};

namespace icon {
inline constexpr std::array<int, 7> kSizes{16, 32, 48, 128, 192, 256, 512};
}

}  // namespace art
