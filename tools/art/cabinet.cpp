// The machine's front: chrome-framed reel windows on a lacquered red cabinet,
// a hold-button rail, the name plate, the dark readout glass the game writes
// its labels and numbers on, and the recessed button column.
#include <cmath>

#include "draw.h"
#include "pictures.h"

namespace art {
namespace {

using namespace machine;

constexpr Colour kBodyTop = Hex(0x9a1424);
constexpr Colour kBodyBottom = Hex(0x560a14);
constexpr Colour kInk = Hex(0x0c0608);
constexpr Colour kGoldLight = Hex(0xffe58a);
constexpr Colour kGold = Hex(0xe0a828);
constexpr Colour kGoldDark = Hex(0x8a5a08);
constexpr Colour kGlass = Hex(0x0b1020);

// Everything of the cabinet that is not a game coordinate.
constexpr double kCorner = 6;
constexpr double kBezel = 4;  // chrome around each reel window
constexpr double kReelTop = kReelY - kBezel;
constexpr double kRailTop = kReelY + kReelH + 3;  // the hold rail under the reels
constexpr double kRailBottom = 187;
constexpr double kPlateTop = 187;  // the name plate, where nothing is drawn over
constexpr double kPlateBottom = 198;
constexpr double kColumnLeft = 160;  // the button column's surround
constexpr double kColumnRight = 238;
constexpr double kDeckBottom = 316;
constexpr double kReadoutFrameH = 37;  // a label and its readout
constexpr int kBulbs = 15;

void Chrome(cairo_t* cr, double x0, double y0, double x1, double y1) {
    LinearFill(cr, x0, y0, x1, y1,
               {{0, Hex(0xf2f4f8)}, {0.25, Hex(0xa8b0be)}, {0.5, Hex(0xe6eaf0)}, {0.78, Hex(0x6a7282)}, {1, Hex(0xc4cad4)}});
}

void Body(cairo_t* cr) {
    RoundedRect(cr, 0, 0, screen::kWidth, screen::kHeight, kCorner);
    LinearFill(cr, 0, 0, 0, screen::kHeight, {{0, kBodyTop}, {0.5, Mix(kBodyTop, kBodyBottom, 0.6)}, {1, kBodyBottom}});
    cairo_fill(cr);
    // A broad diagonal sheen reads as lacquer.
    RoundedRect(cr, 0, 0, screen::kWidth, screen::kHeight, kCorner);
    LinearFill(cr, 0, 0, screen::kWidth, screen::kHeight * 0.6,
               {{0, Hex(0xffffff, 0)}, {0.45, Hex(0xffffff, 0.10)}, {0.55, Hex(0xffffff, 0)}});
    cairo_fill(cr);
}

// Marquee bulbs along the top edge, alternately amber and red.
void TopBulbs(cairo_t* cr) {
    const double step = static_cast<double>(screen::kWidth) / kBulbs;
    for (int i = 0; i < kBulbs; ++i) {
        const double x = step * (i + 0.5), y = 3.2;
        const Colour c = i % 2 ? Hex(0xff4a3a) : Hex(0xffc83a);
        cairo_new_path(cr);
        cairo_arc(cr, x, y, 2.3, 0, 2 * M_PI);
        RadialFill(cr, x - 0.6, y - 0.8, 0.2, x, y, 2.4, {{0, Lighter(c, 0.7)}, {0.6, c}, {1, Darker(c, 0.45)}});
        cairo_fill(cr);
    }
}

void ReelWindows(cairo_t* cr) {
    RoundedRect(cr, 2, kReelTop - 1, screen::kWidth - 4, kReelH + 2 * kBezel + 2, 4);
    SetColour(cr, kInk);
    cairo_fill(cr);
    for (int x : kReelX) {
        RoundedRect(cr, x - kBezel, kReelTop, kReelW + 2 * kBezel, kReelH + 2 * kBezel, 3);
        Chrome(cr, x - kBezel, 0, x + kReelW + kBezel, 0);
        cairo_fill(cr);
        cairo_rectangle(cr, x - 1.5, kReelY - 1.5, kReelW + 3, kReelH + 3);
        SetColour(cr, Hex(0x20242c));
        cairo_fill(cr);
        // What the game paints over; shaded like a drum in case a frame
        // ever shows it.
        cairo_rectangle(cr, x, kReelY, kReelW, kReelH);
        LinearFill(cr, 0, kReelY, 0, kReelY + kReelH,
                   {{0, Hex(0xb8b8b8)}, {0.25, Hex(0xf4f4f4)}, {0.75, Hex(0xf4f4f4)}, {1, Hex(0xb8b8b8)}});
        cairo_fill(cr);
    }
}

void Arrow(cairo_t* cr, double tipX, double baseX) {
    cairo_new_path(cr);
    cairo_move_to(cr, baseX, kWinLineY - 7.5);
    cairo_line_to(cr, tipX, kWinLineY + 0.5);
    cairo_line_to(cr, baseX, kWinLineY + 8.5);
    cairo_close_path(cr);
    LinearFill(cr, 0, kWinLineY - 8, 0, kWinLineY + 9, {{0, kGoldLight}, {0.5, kGold}, {1, kGoldDark}});
    FillAndOutline(cr, kInk, 1.2);
}

// Arrows in both margins and a jewel on each post between the reels mark
// the line that pays.
void WinLine(cairo_t* cr) {
    Arrow(cr, kReelX[0] - 0.2, 0.6);
    Arrow(cr, kReelX[3] + kReelW + 0.2, screen::kWidth - 0.6);
    for (size_t i = 0; i + 1 < kReelX.size(); ++i) {
        const double x = (kReelX[i] + kReelW + kReelX[i + 1]) / 2.0, y = kWinLineY + 0.5;
        cairo_new_path(cr);
        cairo_arc(cr, x, y, 2.6, 0, 2 * M_PI);
        RadialFill(cr, x - 0.7, y - 0.8, 0.2, x, y, 2.8, {{0, Hex(0xffb0a0)}, {0.5, Hex(0xf01828)}, {1, Hex(0x700008)}});
        FillAndOutline(cr, kInk, 0.9);
    }
}

void Slot(cairo_t* cr, double x, double y, double w, double h) {
    Recess(cr, x - 2, y - 2, w + 4, h + 4, 2.5, Hex(0x1a1014), 1.5);
}

void HoldRail(cairo_t* cr) {
    cairo_rectangle(cr, 0, kRailTop, screen::kWidth, kRailBottom - kRailTop);
    LinearFill(cr, 0, kRailTop, 0, kRailBottom, {{0, Hex(0x3a060e)}, {0.2, Hex(0x7a1020)}, {1, Hex(0x4a0810)}});
    cairo_fill(cr);
    for (int x : kReelX) Slot(cr, x, kHoldY, kHoldW, kHoldH);
}

void NamePlate(cairo_t* cr) {
    cairo_rectangle(cr, 0, kPlateTop, screen::kWidth, kPlateBottom - kPlateTop);
    LinearFill(cr, 0, kPlateTop, 0, kPlateBottom, {{0, Hex(0x2a2a34)}, {0.5, Hex(0x0a0a10)}, {1, Hex(0x1a1a22)}});
    cairo_fill(cr);
    for (double y : {kPlateTop + 0.5, kPlateBottom - 0.5}) {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, screen::kWidth, y);
        SetColour(cr, kGold);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    const double mid = (kPlateTop + kPlateBottom) / 2, cx = screen::kWidth / 2.0;
    SetFont(cr, Face::kSansBold, 11.5);
    cairo_save(cr);
    // Spread the letters out by scaling about the centre; keeps them bold.
    cairo_translate(cr, cx, 0);
    cairo_scale(cr, 1.45, 1);
    cairo_new_path(cr);
    CentredTextPath(cr, "VANTARO", 0, mid + 4.1);
    cairo_restore(cr);
    LinearFill(cr, 0, kPlateTop + 1, 0, kPlateBottom - 1, {{0, Hex(0xfff2b0)}, {0.5, Hex(0xffc830)}, {1, Hex(0xb07a10)}});
    cairo_fill(cr);
    for (int side : {-1, 1}) {
        for (int i = 0; i < 3; ++i) {
            StarPath(cr, cx + side * (70 + i * 14), mid, 4.2 - i * 0.6, 1.7 - i * 0.25, 5, 0);
            SetColour(cr, Mix(kGoldLight, kGold, i / 2.0));
            cairo_fill(cr);
        }
    }
}

// The smoked glass the game writes its labels and readouts on: dark enough
// for white text and red segments, with a black well behind each readout.
void ReadoutGlass(cairo_t* cr) {
    const Rect& p = kStatusPanel;
    cairo_rectangle(cr, 0, kPlateBottom, kColumnLeft, kDeckBottom - kPlateBottom);
    LinearFill(cr, 0, kPlateBottom, 0, kDeckBottom, {{0, Hex(0x141c34)}, {1, kGlass}});
    cairo_fill(cr);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const double x = kStatusColumnX[col] - 5, y = kLabelY[row] - 2;
            const double w = (col == 0 ? kStatusColumnX[1] - 9 : kColumnLeft - 3) - x;
            RoundedRect(cr, x + 0.5, y + 0.5, w - 1, kReadoutFrameH, 3);
            SetColour(cr, Hex(0x2c3a5c));
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            cairo_rectangle(cr, kStatusColumnX[col] - 2, kValueY[row] - 1, w - 6, lcd::kCellH + 2);
            SetColour(cr, Hex(0x020204));
            cairo_fill(cr);
        }
    }
    // A faint reflection across the glass.
    cairo_move_to(cr, 0, p.y + 20);
    cairo_line_to(cr, 60, p.y + 3);
    cairo_line_to(cr, 90, p.y + 3);
    cairo_line_to(cr, 0, p.y + 40);
    cairo_close_path(cr);
    SetColour(cr, Hex(0xffffff, 0.05));
    cairo_fill(cr);
}

// One dark well the five buttons sit in, so the gaps between them read as
// depth rather than as five separate frames.
void ButtonColumn(cairo_t* cr) {
    RoundedRect(cr, kColumnLeft, kPlateBottom, kColumnRight - kColumnLeft, kDeckBottom - kPlateBottom, 2);
    LinearFill(cr, kColumnLeft, 0, kColumnRight, 0, {{0, Hex(0x5a0a16)}, {0.5, Hex(0x861424)}, {1, Hex(0x4a0810)}});
    cairo_fill(cr);
    const double top = kButtonY.front() - 2, bottom = kButtonY.back() + kButtonH + 2;
    Recess(cr, kButtonX - 2, top, kButtonW + 4, bottom - top, 3, Hex(0x1a1014), 1.5);
    for (int y : kButtonY) {
        cairo_rectangle(cr, kButtonX, y + kButtonH, kButtonW, 1);
        SetColour(cr, Hex(0x000000, 0.5));
        cairo_fill(cr);
    }
}

// Gold pinstripes around the readout glass and the button column.
void Pinstripes(cairo_t* cr) {
    RoundedRect(cr, 1.5, kPlateBottom + 1.5, kColumnLeft - 3, kDeckBottom - kPlateBottom - 3, 3);
    RoundedRect(cr, kColumnLeft + 1.5, kPlateBottom + 1.5, kColumnRight - kColumnLeft - 3,
                kDeckBottom - kPlateBottom - 3, 3);
    SetColour(cr, WithAlpha(kGold, 0.7));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Trim(cairo_t* cr) {
    cairo_rectangle(cr, 0, kDeckBottom, screen::kWidth, screen::kHeight - kDeckBottom);
    Chrome(cr, 0, kDeckBottom, 0, screen::kHeight);
    cairo_fill(cr);
    cairo_rectangle(cr, kColumnLeft - 1, kPlateBottom, 1, kDeckBottom - kPlateBottom);
    SetColour(cr, Hex(0x000000, 0.6));
    cairo_fill(cr);
}

}  // namespace

Picture DrawMachine() {
    Canvas canvas(screen::kWidth, screen::kHeight, Hex(0x000000));
    cairo_t* cr = canvas.cr();
    Body(cr);
    TopBulbs(cr);
    ReelWindows(cr);
    WinLine(cr);
    HoldRail(cr);
    NamePlate(cr);
    ReadoutGlass(cr);
    ButtonColumn(cr);
    Pinstripes(cr);
    Trim(cr);
    // The corner pixel is the key a keyed blit would use: plain black, and
    // the reduction keeps it the only pixel of that colour.
    cairo_rectangle(cr, 0, 0, 1, 1);
    SetColour(cr, Hex(0x000000));
    cairo_fill(cr);
    return ReadSurface(canvas.surface());
}

}  // namespace art
