#include "image.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace art {
namespace {

// White-keyed pictures keep their last palette entry for the white that
// fills enclosed gaps: one step short of the key in red, so the display shows
// it as white and a keyed blit still draws it.
constexpr uint8_t kSealIndex = 255;
constexpr Rgb kSealWhite{kKeyFloor - 1, 255, 255};

uint32_t Pack(Rgb c) { return static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b); }
Rgb Unpack(uint32_t v) { return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255), static_cast<int>(v & 255)}; }
int Channel(Rgb c, int ch) { return ch == 0 ? c.r : ch == 1 ? c.g : c.b; }

// Green weighs most and blue least, roughly as the eye does, so the palette
// spends its entries where banding would show.
constexpr std::array<int, 3> kWeights{3, 4, 2};

int Distance(Rgb a, Rgb b) {
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return kWeights[0] * dr * dr + kWeights[1] * dg * dg + kWeights[2] * db * db;
}

struct Entry {
    Rgb colour;
    uint32_t count;
};

struct Box {
    size_t begin, end;
};

struct BoxStats {
    double error = 0;
    int axis = 0;
};

// The weighted squared error of a box around its mean, and the channel along
// which it spreads most.
BoxStats Measure(const std::vector<Entry>& entries, Box box) {
    std::array<double, 3> sum{}, sumSq{};
    double total = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int ch = 0; ch < 3; ++ch) {
            const double v = Channel(entries[i].colour, ch);
            sum[ch] += v * entries[i].count;
            sumSq[ch] += v * v * entries[i].count;
        }
        total += entries[i].count;
    }
    BoxStats stats;
    double widest = -1;
    for (int ch = 0; ch < 3; ++ch) {
        const double spread = (sumSq[ch] - sum[ch] * sum[ch] / total) * kWeights[ch];
        stats.error += spread;
        if (spread > widest) {
            widest = spread;
            stats.axis = ch;
        }
    }
    return stats;
}

// Sorts the box along an axis (ties broken by the whole colour, so the order
// never depends on the sort's own choices) and cuts it at the weighted median.
std::pair<Box, Box> Split(std::vector<Entry>& entries, Box box, int axis) {
    std::sort(entries.begin() + box.begin, entries.begin() + box.end, [axis](const Entry& a, const Entry& b) {
        const int va = Channel(a.colour, axis), vb = Channel(b.colour, axis);
        return va != vb ? va < vb : Pack(a.colour) < Pack(b.colour);
    });
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i) total += entries[i].count;
    uint64_t running = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
        running += entries[i].count;
        cut = i + 1;
        if (running * 2 >= total) break;
    }
    return {{box.begin, cut}, {cut, box.end}};
}

std::vector<Rgb> MedianCut(std::vector<Entry> entries, size_t budget) {
    std::vector<Box> boxes{{0, entries.size()}};
    while (boxes.size() < budget) {
        size_t worst = boxes.size();
        BoxStats worstStats;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            const BoxStats stats = Measure(entries, boxes[i]);
            if (worst == boxes.size() || stats.error > worstStats.error) {
                worst = i;
                worstStats = stats;
            }
        }
        if (worst == boxes.size() || worstStats.error <= 0) break;
        auto [low, high] = Split(entries, boxes[worst], worstStats.axis);
        boxes[worst] = low;
        boxes.push_back(high);
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        std::array<double, 3> sum{};
        double total = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int ch = 0; ch < 3; ++ch) sum[ch] += Channel(entries[i].colour, ch) * double(entries[i].count);
            total += entries[i].count;
        }
        palette.push_back({int(sum[0] / total + 0.5), int(sum[1] / total + 0.5), int(sum[2] / total + 0.5)});
    }
    return palette;
}

size_t Nearest(const std::vector<Rgb>& palette, Rgb c) {
    size_t best = 0;
    int bestDistance = Distance(palette[0], c);
    for (size_t i = 1; i < palette.size(); ++i) {
        const int d = Distance(palette[i], c);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// A few rounds of moving each entry to the mean of the colours nearest it
// recover the detail median cut's straight cuts smear.
void Refine(std::vector<Rgb>& palette, const std::vector<Entry>& entries) {
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::array<double, 4>> sums(palette.size());
        for (const Entry& e : entries) {
            auto& s = sums[Nearest(palette, e.colour)];
            s[0] += double(e.colour.r) * e.count;
            s[1] += double(e.colour.g) * e.count;
            s[2] += double(e.colour.b) * e.count;
            s[3] += e.count;
        }
        for (size_t i = 0; i < palette.size(); ++i) {
            if (sums[i][3] == 0) continue;
            palette[i] = {int(sums[i][0] / sums[i][3] + 0.5), int(sums[i][1] / sums[i][3] + 0.5),
                          int(sums[i][2] / sums[i][3] + 0.5)};
        }
    }
}

std::vector<Entry> CountColours(const Picture& picture, bool (*skip)(const Picture&, size_t)) {
    std::map<uint32_t, uint32_t> counts;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        if (!skip(picture, i)) ++counts[Pack(picture.pixels[i])];
    }
    std::vector<Entry> entries;
    for (const auto& [packed, count] : counts) entries.push_back({Unpack(packed), count});
    return entries;
}

std::vector<Rgb> BuildPalette(const std::vector<Entry>& entries, size_t budget) {
    if (entries.size() <= budget) {
        std::vector<Rgb> exact;
        for (const Entry& e : entries) exact.push_back(e.colour);
        return exact;
    }
    std::vector<Rgb> palette = MedianCut(entries, budget);
    Refine(palette, entries);
    std::sort(palette.begin(), palette.end(), [](Rgb a, Rgb b) { return Pack(a) < Pack(b); });
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}

// Moves a colour off the key while keeping it as close as the truncation
// allows.
Rgb AwayFromWhite(Rgb c) {
    if (!IsKeyish(c)) return c;
    c.b = kKeyFloor - 8;
    return c;
}

Rgb AwayFrom565(Rgb c, uint16_t key) {
    if (To565(c) != key) return c;
    c.b = c.b >= 128 ? c.b - 8 : c.b + 8;
    return c;
}

bool SkipNothing(const Picture&, size_t) { return false; }
bool SkipKeyish(const Picture& p, size_t i) { return IsKeyish(p.pixels[i]); }
bool SkipCorner(const Picture&, size_t i) { return i == 0; }

Indexed Assemble(const Picture& picture, const std::vector<Rgb>& palette, size_t offset) {
    Indexed out;
    out.width = picture.width;
    out.height = picture.height;
    for (size_t i = 0; i < palette.size(); ++i) out.palette[offset + i] = palette[i];
    out.pixels.resize(picture.pixels.size());
    std::map<uint32_t, uint8_t> lookup;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t key = Pack(picture.pixels[i]);
        auto it = lookup.find(key);
        if (it == lookup.end()) {
            it = lookup.emplace(key, static_cast<uint8_t>(offset + Nearest(palette, picture.pixels[i]))).first;
        }
        out.pixels[i] = it->second;
    }
    return out;
}

}  // namespace

bool IsKeyish(Rgb c) { return c.r >= kKeyFloor && c.g >= kKeyFloor && c.b >= kKeyFloor; }

uint16_t To565(Rgb c) { return static_cast<uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

Picture ReadSurface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    Picture p;
    p.width = cairo_image_surface_get_width(surface);
    p.height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    for (int y = 0; y < p.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < p.width; ++x) p.At(x, y) = Unpack(row[x] & 0xFFFFFF);
    }
    return p;
}

Indexed Quantize(const Picture& picture, KeyMode mode) {
    if (mode == KeyMode::kNone) {
        return Assemble(picture, BuildPalette(CountColours(picture, SkipNothing), 256), 0);
    }
    if (mode == KeyMode::kWhite) {
        std::vector<Rgb> palette = BuildPalette(CountColours(picture, SkipKeyish), 254);
        for (Rgb& c : palette) c = AwayFromWhite(c);
        Picture solid = picture;
        for (Rgb& c : solid.pixels) {
            if (IsKeyish(c)) c = kWhite;
        }
        palette.insert(palette.begin(), kWhite);
        Indexed out = Assemble(solid, palette, 0);
        out.palette[kSealIndex] = kSealWhite;
        return out;
    }
    const Rgb key = picture.pixels[0];
    std::vector<Rgb> palette = BuildPalette(CountColours(picture, SkipCorner), 255);
    for (Rgb& c : palette) c = AwayFrom565(c, To565(key));
    Picture rest = picture;
    rest.pixels[0] = palette[0];
    Indexed out = Assemble(rest, palette, 1);
    out.palette[0] = key;
    out.pixels[0] = 0;
    return out;
}

int SealKeyHoles(Indexed& image, int tileW, int tileH) {
    const uint8_t patch = kSealIndex;
    int changed = 0;
    for (int ty = 0; ty < image.height; ty += tileH) {
        for (int tx = 0; tx < image.width; tx += tileW) {
            std::vector<uint8_t> reached(static_cast<size_t>(tileW) * tileH);
            std::vector<std::pair<int, int>> stack;
            auto push = [&](int x, int y) {
                if (x < 0 || y < 0 || x >= tileW || y >= tileH) return;
                if (reached[y * tileW + x] || !IsKeyish(image.ColourAt(tx + x, ty + y))) return;
                reached[y * tileW + x] = 1;
                stack.push_back({x, y});
            };
            for (int i = 0; i < tileW; ++i) push(i, 0), push(i, tileH - 1);
            for (int i = 0; i < tileH; ++i) push(0, i), push(tileW - 1, i);
            while (!stack.empty()) {
                auto [x, y] = stack.back();
                stack.pop_back();
                push(x + 1, y), push(x - 1, y), push(x, y + 1), push(x, y - 1);
            }
            for (int y = 0; y < tileH; ++y) {
                for (int x = 0; x < tileW; ++x) {
                    if (!reached[y * tileW + x] && IsKeyish(image.ColourAt(tx + x, ty + y))) {
                        image.At(tx + x, ty + y) = patch;
                        ++changed;
                    }
                }
            }
        }
    }
    return changed;
}

bool WriteBmp(const Indexed& image, const std::string& path) {
    const int rowBytes = (image.width + 3) & ~3;
    const uint32_t pixelOffset = 14 + 40 + 256 * 4;
    const uint32_t fileSize = pixelOffset + static_cast<uint32_t>(rowBytes * image.height);
    std::vector<uint8_t> out;
    auto u16 = [&](uint32_t v) { out.push_back(v & 255), out.push_back(v >> 8 & 255); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    out.push_back('B'), out.push_back('M');
    u32(fileSize), u32(0), u32(pixelOffset);
    u32(40), u32(static_cast<uint32_t>(image.width)), u32(static_cast<uint32_t>(image.height));
    u16(1), u16(8), u32(0), u32(static_cast<uint32_t>(rowBytes * image.height));
    u32(2835), u32(2835), u32(256), u32(0);
    for (const Rgb& c : image.palette) {
        out.push_back(static_cast<uint8_t>(c.b)), out.push_back(static_cast<uint8_t>(c.g));
        out.push_back(static_cast<uint8_t>(c.r)), out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < rowBytes; ++x) out.push_back(x < image.width ? image.At(x, y) : 0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

Picture Expand(const Indexed& image) {
    Picture p;
    p.width = image.width;
    p.height = image.height;
    p.pixels.resize(image.pixels.size());
    for (size_t i = 0; i < image.pixels.size(); ++i) p.pixels[i] = image.palette[image.pixels[i]];
    return p;
}

}  // namespace art
