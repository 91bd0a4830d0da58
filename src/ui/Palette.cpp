#include "ui/Palette.h"

#include "ui/DeviceBitmap.h"
#include "ui/Screen.h"

#include <algorithm>
#include <unordered_map>

namespace lumeye::ui {
namespace {
constexpr uint32_t kMaxPaletteEntries = 1024;
constexpr int kStaticEach = SystemPalette::kReserved / 2;
constexpr int kFirstFree = kStaticEach;
constexpr int kEndFree = SystemPalette::kSize - kStaticEach;

QRgb toRgb(const PaletteEntry& e) { return qRgb(e.peRed, e.peGreen, e.peBlue); }

PaletteEntry toEntry(QRgb c, uint8_t flags = 0) {
    return PaletteEntry{uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), flags};
}

// The static colours a palette display keeps at its two ends.
constexpr QRgb kLowStatics[kStaticEach] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
};
constexpr QRgb kHighStatics[kStaticEach] = {
    0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

bool isStatic(QRgb c) {
    c &= 0xFFFFFF;
    return std::find(std::begin(kLowStatics), std::end(kLowStatics), c) != std::end(kLowStatics) ||
           std::find(std::begin(kHighStatics), std::end(kHighStatics), c) != std::end(kHighStatics);
}

// The system palette's state, and a map from each colour to its first index.
struct SystemState {
    std::array<PaletteEntry, SystemPalette::kSize> entries{};
    std::array<QRgb, SystemPalette::kSize> colours{};
    std::unordered_map<QRgb, uint8_t> firstIndex;

    SystemState() { reset(); }

    void reset() {
        for (int i = 0; i < kStaticEach; ++i) {
            entries[i] = toEntry(kLowStatics[i]);
            entries[kEndFree + i] = toEntry(kHighStatics[i]);
        }
        // The start-up colours between: a 6x6x6 colour cube without the
        // colours the statics already hold, then an even grey ramp for the rest.
        int next = kFirstFree;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    const QRgb c = qRgb(r * 51, g * 51, b * 51);
                    if (!isStatic(c)) entries[next++] = toEntry(c);
                }
        const int greys = kEndFree - next;
        for (int k = 1; k <= greys; ++k) {
            const int v = (k * 255 + (greys + 1) / 2) / (greys + 1);
            entries[next++] = toEntry(qRgb(v, v, v));
        }
        update();
    }

    void update() {
        firstIndex.clear();
        for (int i = SystemPalette::kSize - 1; i >= 0; --i) {
            colours[i] = toRgb(entries[i]);
            firstIndex[colours[i] & 0xFFFFFF] = uint8_t(i);
        }
    }
};

SystemState& systemState() {
    static SystemState state;
    return state;
}

bool displayHasPalette() { return layoutForDisplay(Screen::info()) == PixelLayout::Indexed8; }
}  // namespace

LogicalPalette::LogicalPalette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {}

int nearestEntry(const PaletteEntry* table, int count, QRgb colour) {
    const int r = qRed(colour), g = qGreen(colour), b = qBlue(colour);
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const int dr = table[i].peRed - r, dg = table[i].peGreen - g, db = table[i].peBlue - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

int nearestStandardColour(QRgb colour) {
    static const auto table = [] {
        std::array<PaletteEntry, kStandardColours.size()> entries;
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = toEntry(kStandardColours[i]);
        return entries;
    }();
    return nearestEntry(table.data(), int(table.size()), colour);
}

uint32_t GetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, PaletteEntry* out) {
    if (!palette) return 0;
    const auto& entries = palette->entries();
    if (start >= entries.size()) return 0;
    const uint32_t n = std::min<uint32_t>(count, uint32_t(entries.size()) - start);
    std::copy_n(entries.begin() + start, n, out);
    return n;
}

uint32_t GetNearestPaletteIndex(HPALETTE palette, COLORREF colour) {
    if (!palette || palette->entries().empty()) return CLR_INVALID;
    // COLORREF keeps red in the low byte; the top byte (palette-relative) is a flag.
    const QRgb rgb = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return uint32_t(nearestEntry(palette->entries().data(), int(palette->entries().size()), rgb));
}

bool ResizePalette(HPALETTE palette, uint32_t entries) {
    if (!palette || entries == 0 || entries > kMaxPaletteEntries) return false;
    palette->entries_.resize(entries);
    return true;
}

uint32_t SetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, const PaletteEntry* entries) {
    if (!palette || start >= palette->entries_.size()) return 0;
    const uint32_t n = std::min<uint32_t>(count, uint32_t(palette->entries_.size()) - start);
    std::copy_n(entries, n, palette->entries_.begin() + start);
    return n;
}

int GetDeviceCaps(const DeviceContext&, int index) {
    switch (index) {
    case SIZEPALETTE: return displayHasPalette() ? SystemPalette::kSize : 0;
    case NUMRESERVED: return SystemPalette::kReserved;
    default: return 0;
    }
}

uint32_t GetSystemPaletteEntries(const DeviceContext&, uint32_t start, uint32_t count, PaletteEntry* out) {
    if (!displayHasPalette() || start >= uint32_t(SystemPalette::kSize)) return 0;
    const uint32_t n = std::min<uint32_t>(count, SystemPalette::kSize - start);
    std::copy_n(SystemPalette::entries().begin() + start, n, out);
    return n;
}

uint32_t RealizePalette(const DeviceContext& dc) {
    if (!dc.palette || !displayHasPalette()) return 0;
    return SystemPalette::realize(*dc.palette);
}

const std::array<PaletteEntry, SystemPalette::kSize>& SystemPalette::entries() { return systemState().entries; }
const std::array<QRgb, SystemPalette::kSize>& SystemPalette::colours() { return systemState().colours; }
void SystemPalette::reset() { systemState().reset(); }

uint8_t SystemPalette::nearestIndex(QRgb colour) {
    const SystemState& s = systemState();
    if (auto it = s.firstIndex.find(colour & 0xFFFFFF); it != s.firstIndex.end()) return it->second;
    return uint8_t(nearestEntry(s.entries.data(), kSize, colour));
}

uint32_t SystemPalette::realize(const LogicalPalette& palette) {
    SystemState& s = systemState();
    int next = kFirstFree;
    uint32_t changed = 0;
    for (const PaletteEntry& e : palette.entries()) {
        if (next >= kEndFree) break;
        const QRgb c = toRgb(e) & 0xFFFFFF;
        const bool own = (e.peFlags & PC_NOCOLLAPSE) != 0;
        if (!own && s.firstIndex.count(c)) continue;
        const PaletteEntry placed = toEntry(c, s.entries[next].peFlags);
        if (!(s.entries[next] == placed)) {
            s.entries[next] = placed;
            ++changed;
            s.update();
        }
        ++next;
    }
    return changed;
}

}  // namespace lumeye::ui
