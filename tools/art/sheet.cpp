#include "sheet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "draw.h"

namespace art {
namespace {

constexpr int kSheetWidth = 2000;
constexpr int kMaxHeight = 6000;
constexpr int kMargin = 16;
constexpr int kLabelHeight = 18;
constexpr Colour kPaper = Hex(0xd8d8dc);

// What the display shows: each colour truncated to RGB565 and widened back.
Rgb Shown(Rgb c) {
    const uint16_t p = To565(c);
    const int r = p >> 11, g = p >> 5 & 63, b = p & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

cairo_surface_t* ToSurface(const Picture& p) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, p.width, p.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < p.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < p.width; ++x) {
            const Rgb c = Shown(p.At(x, y));
            row[x] = 0xFF000000u | static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

Picture Crop(const Picture& p, int x0, int y0, int w, int h) {
    Picture out;
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) out.At(x, y) = p.At(x0 + x, y0 + y);
    }
    return out;
}

// The game's own shrink: no filtering, source column floor(i * step / 65536).
Picture Shrink(const Picture& tile, int size) {
    const int stepX = static_cast<int>(static_cast<float>(tile.width) / size * 65536.0);
    const int stepY = static_cast<int>(static_cast<float>(tile.height) / size * 65536.0);
    Picture out;
    out.width = out.height = size;
    out.pixels.resize(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) out.At(x, y) = tile.At(x * stepX >> 16, y * stepY >> 16);
    }
    return out;
}

// Draws src onto dst with the game's keyed copy: pixels matching the top-left
// pixel after truncation are skipped.
void KeyedBlit(Picture& dst, const Picture& src, int dx, int dy) {
    const uint16_t key = To565(src.At(0, 0));
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            if (To565(src.At(x, y)) != key && dx + x < dst.width && dy + y < dst.height) dst.At(dx + x, dy + y) = src.At(x, y);
        }
    }
}

void Blit(Picture& dst, const Picture& src, int dx, int dy) {
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            if (dx + x < dst.width && dy + y < dst.height) dst.At(dx + x, dy + y) = src.At(x, y);
        }
    }
}

void Fill(Picture& p, int x0, int y0, int w, int h, Rgb c) {
    for (int y = y0; y < y0 + h && y < p.height; ++y) {
        for (int x = x0; x < x0 + w && x < p.width; ++x) p.At(x, y) = c;
    }
}

// Places pictures left to right, wrapping to a new row when one would not fit.
class Flow {
public:
    explicit Flow(cairo_t* cr) : cr_(cr) {}

    void Place(const Picture& p, double scale, const std::string& label) {
        const int w = static_cast<int>(p.width * scale), h = static_cast<int>(p.height * scale);
        const int boxW = std::max(w, static_cast<int>(label.size()) * 7);
        if (x_ + boxW > kSheetWidth - kMargin) NewRow();
        SetColour(cr_, Hex(0x202028));
        SetFont(cr_, Face::kSans, 12);
        cairo_move_to(cr_, x_, y_ + 12);
        cairo_show_text(cr_, label.c_str());
        cairo_surface_t* s = ToSurface(p);
        cairo_save(cr_);
        cairo_translate(cr_, x_, y_ + kLabelHeight);
        cairo_scale(cr_, scale, scale);
        cairo_set_source_surface(cr_, s, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
        cairo_paint(cr_);
        cairo_restore(cr_);
        cairo_surface_destroy(s);
        x_ += boxW + kMargin;
        rowHeight_ = std::max(rowHeight_, h + kLabelHeight);
    }

    void Heading(const std::string& text) {
        NewRow();
        SetColour(cr_, Hex(0x101018));
        SetFont(cr_, Face::kSansBold, 18);
        cairo_move_to(cr_, kMargin, y_ + 20);
        cairo_show_text(cr_, text.c_str());
        y_ += 30;
    }

    // Reserves a w x h box and returns its top-left corner.
    std::pair<int, int> Reserve(int w, int h) {
        if (x_ + w > kSheetWidth - kMargin) NewRow();
        const std::pair<int, int> at{x_, y_};
        x_ += w + kMargin;
        rowHeight_ = std::max(rowHeight_, h);
        return at;
    }

    void NewRow() {
        if (rowHeight_ > 0) y_ += rowHeight_ + kMargin;
        x_ = kMargin;
        rowHeight_ = 0;
    }

    int Height() const { return y_ + rowHeight_ + kMargin; }

private:
    cairo_t* cr_;
    int x_ = kMargin, y_ = kMargin, rowHeight_ = 0;
};

// Writes text in the segment font whose cells are cellW wide, A-Z and space.
void LetterText(Picture& screen, const Picture& font, int cellW, const std::string& text, int x, int y) {
    for (char ch : text) {
        const int cell = ch >= 'A' && ch <= 'Z' ? ch - 'A' : 26;
        Blit(screen, Crop(font, cell * cellW, 0, cellW, font.height), x, y);
        x += cellW;
    }
}

void DigitText(Picture& screen, const Picture& font, const std::string& text, int x, int y) {
    for (char ch : text) {
        const int cell = ch >= '0' && ch <= '9' ? ch - '0' : ch == '.' ? lcd::kPoint : ch == 'F' ? lcd::kLetterF : lcd::kBlank;
        Blit(screen, Crop(font, cell * lcd::kCellW, 0, lcd::kCellW, lcd::kCellH), x, y);
        x += lcd::kCellW;
    }
}

// Stands in for the game's grey buttons and small white labels, so the
// preview shows how the cabinet frames them.
void GreyButton(Picture& p, int x, int y, int w, int h) {
    Fill(p, x, y, w, h, {192, 192, 192});
    Fill(p, x, y, w, 1, {240, 240, 240});
    Fill(p, x, y, 1, h, {240, 240, 240});
    Fill(p, x, y + h - 1, w, 1, {96, 96, 96});
    Fill(p, x + w - 1, y, 1, h, {96, 96, 96});
}

Picture MachinePreview(const ReducedSet& set, bool message) {
    Picture screen = Expand(set.machine);
    const Picture symbols = Expand(set.symbols);
    constexpr std::array<std::array<int, 3>, 4> kShown{{{0, 4, 7}, {8, 2, 9}, {5, 4, 10}, {1, 11, 6}}};
    for (size_t r = 0; r < 4; ++r) {
        Fill(screen, machine::kReelX[r], machine::kReelY, machine::kReelW, machine::kReelH, kWhite);
        for (int i = 0; i < 3; ++i) {
            const int s = kShown[r][i];
            KeyedBlit(screen, Crop(symbols, 50 * (s % 4), 50 * (s / 4), 50, 50), machine::kReelX[r], machine::kReelY + 50 * i);
        }
        GreyButton(screen, machine::kReelX[r], machine::kHoldY, machine::kHoldW, machine::kHoldH);
    }
    for (int y : machine::kButtonY) GreyButton(screen, machine::kButtonX, y, machine::kButtonW, machine::kButtonH);
    const Picture digits = Expand(set.lcd);
    const std::array<std::string, 6> kValues{"12.50", "400", "0.20", "15", " 2", "F"};
    for (int i = 0; i < 6; ++i) {
        Fill(screen, machine::kStatusColumnX[i % 2], machine::kLabelY[i / 2] + 1, 40, 6, {255, 255, 255});
        DigitText(screen, digits, kValues[i], machine::kStatusColumnX[i % 2], machine::kValueY[i / 2]);
    }
    if (message) {
        LetterText(screen, Expand(set.lcdAlpha), lcdalpha::kCellW, " BIG WIN  ", 0, machine::kMessageStrip.y);
    }
    return screen;
}

Picture LadderPreview(const ReducedSet& set) {
    Picture screen;
    screen.width = screen::kWidth;
    screen.height = screen::kHeight;
    screen.pixels.assign(static_cast<size_t>(screen.width) * screen.height, kWhite);
    const Picture sheet = Expand(set.ladder);
    constexpr int kLitRungs = 4;
    for (size_t i = 0; i < ladder::kRungs.size(); ++i) {
        const ladder::Rung& r = ladder::kRungs[i];
        const ladder::Pair& p = ladder::kPairs[r.pair];
        const bool lit = static_cast<int>(i) < kLitRungs;
        KeyedBlit(screen, Crop(sheet, lit ? p.litX : p.darkX, lit ? p.litY : p.darkY, ladder::kTile, ladder::kTile), r.x, r.y);
    }
    const Picture buttons = Expand(set.buttons);
    KeyedBlit(screen, Crop(buttons, 0, 0, 80, 80), 80, 240);
    KeyedBlit(screen, Crop(buttons, 80, 0, 80, 80), 160, 240);
    return screen;
}

void PlaceTiles(Flow& flow, const Picture& symbols, int size, double scale) {
    for (int s = 0; s < symbols::kCount; ++s) {
        const Picture tile = Crop(symbols, 50 * (s % 4), 50 * (s / 4), 50, 50);
        flow.Place(Shrink(tile, size), scale, std::to_string(s));
    }
}

struct Wave {
    int rate = 0;
    std::vector<int16_t> samples;
};

uint32_t Le(const std::vector<unsigned char>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | d[at + i];
    return v;
}

// Reads a 16-bit PCM WAV, keeping the first channel. False for anything else.
bool ReadWave(const std::string& path, Wave& wave) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d{std::istreambuf_iterator<char>(in), {}};
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" || std::string(d.begin() + 8, d.begin() + 12) != "WAVE") {
        return false;
    }
    int channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + at, d.begin() + at + 4);
        const size_t size = Le(d, at + 4, 4), body = at + 8;
        if (body + size > d.size()) return false;
        if (id == "fmt " && size >= 16) {
            channels = static_cast<int>(Le(d, body + 2, 2));
            wave.rate = static_cast<int>(Le(d, body + 4, 4));
            bits = static_cast<int>(Le(d, body + 14, 2));
            if (Le(d, body, 2) != 1 || bits != 16 || channels < 1) return false;
        } else if (id == "data" && channels > 0) {
            for (size_t i = body; i + 2 <= body + size; i += 2 * channels) {
                wave.samples.push_back(static_cast<int16_t>(Le(d, i, 2)));
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

void DrawWave(cairo_t* cr, Flow& flow, const std::string& name, const Wave& wave) {
    constexpr int kW = 960, kH = 90;
    const auto [x, y] = flow.Reserve(kW, kH + kLabelHeight);
    char label[160];
    std::snprintf(label, sizeof label, "%s  %.2f s  %d Hz", name.c_str(), double(wave.samples.size()) / wave.rate, wave.rate);
    SetColour(cr, Hex(0x202028));
    SetFont(cr, Face::kSans, 12);
    cairo_move_to(cr, x, y + 12);
    cairo_show_text(cr, label);
    cairo_rectangle(cr, x, y + kLabelHeight, kW, kH);
    SetColour(cr, Hex(0x101820));
    cairo_fill(cr);
    const double mid = y + kLabelHeight + kH / 2.0;
    const size_t n = wave.samples.size();
    for (int col = 0; col < kW && n > 0; ++col) {
        const size_t a = n * col / kW, b = std::max(a + 1, n * (col + 1) / kW);
        int lo = 0, hi = 0;
        for (size_t i = a; i < b && i < n; ++i) lo = std::min<int>(lo, wave.samples[i]), hi = std::max<int>(hi, wave.samples[i]);
        cairo_move_to(cr, x + col + 0.5, mid - hi / 32768.0 * kH / 2);
        cairo_line_to(cr, x + col + 0.5, mid - lo / 32768.0 * kH / 2 + 0.5);
    }
    SetColour(cr, Hex(0x50e070));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Sounds(cairo_t* cr, Flow& flow, const std::string& dir) {
    std::error_code error;
    if (dir.empty() || !std::filesystem::is_directory(dir, error)) return;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir, error)) {
        if (e.path().extension() == ".wav") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        Wave wave;
        if (ReadWave(f.string(), wave) && wave.rate > 0) {
            DrawWave(cr, flow, f.filename().string(), wave);
        } else {
            std::fprintf(stderr, "vantaro_art: %s is not a 16-bit PCM WAV; left off the sheet\n", f.string().c_str());
        }
    }
}

void Icons(Flow& flow, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
        if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
            // Shown over the sheet's grey, as a desktop would.
            Canvas flat(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png), kPaper);
            cairo_set_source_surface(flat.cr(), png, 0, 0);
            cairo_paint(flat.cr());
            const Picture p = ReadSurface(flat.surface());
            flow.Place(p, p.width < 64 ? 4 : 1, std::filesystem::path(path).filename().string());
        }
        cairo_surface_destroy(png);
    }
}

void Layout(cairo_t* cr, Flow& flow, const ReducedSet& set, const std::vector<std::string>& iconPaths,
            const std::string& soundDir) {
    const Picture symbols = Expand(set.symbols);
    flow.Heading("Screens (2x)");
    flow.Place(Expand(set.machine), 2, "machine.bmp");
    flow.Place(MachinePreview(set, false), 2, "machine as played");
    flow.Place(MachinePreview(set, true), 2, "with a message");
    flow.Place(Expand(set.splash), 2, "splash.bmp");
    flow.Heading("Ladder (2x)");
    flow.Place(Expand(set.ladder), 2, "climb.bmp");
    flow.Place(LadderPreview(set), 2, "ladder as played");
    flow.Place(Expand(set.buttons), 2, "btns.bmp");
    flow.Heading("Symbols (2x), then as the game shrinks them to 20 and 12 (1x and 4x)");
    flow.Place(symbols, 2, "fruit.bmp");
    flow.NewRow();
    for (int size : symbols::kSampledSizes) {
        PlaceTiles(flow, symbols, size, 1);
        flow.NewRow();
        PlaceTiles(flow, symbols, size, 4);
        flow.NewRow();
    }
    flow.Heading("Segment fonts (2x) and icons");
    flow.Place(Expand(set.lcd), 2, "lcd.bmp: 0-9, blank, point, F");
    flow.Place(Expand(set.lcdAlpha), 2, "lcdalpha.bmp: A-Z, blank");
    flow.NewRow();
    flow.Place(Expand(set.lcd), 5, "lcd.bmp (5x)");
    flow.NewRow();
    flow.Place(Crop(Expand(set.lcdAlpha), 0, 0, lcdalpha::kCellW * 14, lcdalpha::kCellH), 4, "lcdalpha.bmp A-N (4x)");
    flow.NewRow();
    flow.Place(Crop(Expand(set.lcdAlpha), lcdalpha::kCellW * 13, 0, lcdalpha::kCellW * 14, lcdalpha::kCellH), 4,
               "lcdalpha.bmp N-Z, blank (4x)");
    flow.NewRow();
    Picture pangram;
    pangram.width = lcdalpha::kCellW * 24;
    pangram.height = lcdalpha::kCellH * 2;
    pangram.pixels.assign(static_cast<size_t>(pangram.width) * pangram.height, kBlack);
    const Picture letters = Expand(set.lcdAlpha);
    LetterText(pangram, letters, lcdalpha::kCellW, "THE QUICK BROWN FOX", 0, 0);
    LetterText(pangram, letters, lcdalpha::kCellW, "JUMPS OVER THE LAZY DOG", 0, lcdalpha::kCellH);
    flow.Place(pangram, 1, "letters in use");
    Icons(flow, iconPaths);
    flow.Heading("Sounds");
    Sounds(cr, flow, soundDir);
}

}  // namespace

bool WriteContactSheet(const ReducedSet& set, const std::vector<std::string>& iconPaths, const std::string& soundDir,
                       const std::string& path) {
    // Laid out on a page taller than needed, then cut to what was used.
    Canvas big(kSheetWidth, kMaxHeight, kPaper);
    Flow flow(big.cr());
    Layout(big.cr(), flow, set, iconPaths, soundDir);
    Canvas sheet(kSheetWidth, std::min(flow.Height(), kMaxHeight), kPaper);
    cairo_set_source_surface(sheet.cr(), big.surface(), 0, 0);
    cairo_paint(sheet.cr());
    cairo_surface_flush(sheet.surface());
    return cairo_surface_write_to_png(sheet.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace art
