#pragma once

#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

// Palettes of a palette-based (8-bit) display, as the pixel helpers use them:
// logical palettes owned by pictures, the display's system palette, and the
// calls that read, match, resize, fill and realize them.
namespace lumeye::ui {

struct PaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Entry flag: realizing the palette gives this colour a system entry of its
// own instead of reusing an equal colour.
inline constexpr uint8_t PC_NOCOLLAPSE = 4;

// A colour as 0x00BBGGRR; a top byte of 2 marks it palette-relative, which the
// nearest-index lookup ignores.
using COLORREF = uint32_t;
inline constexpr COLORREF RGB(uint8_t red, uint8_t green, uint8_t blue) {
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// A picture's logical palette: 1 to 1024 entries.
class LogicalPalette {
public:
    explicit LogicalPalette(std::vector<PaletteEntry> entries);
    const std::vector<PaletteEntry>& entries() const { return entries_; }

private:
    friend bool ResizePalette(LogicalPalette*, uint32_t);
    friend uint32_t SetPaletteEntries(LogicalPalette*, uint32_t, uint32_t, const PaletteEntry*);
    std::vector<PaletteEntry> entries_;
};

// The handle of a logical palette; null when a picture has none.
using HPALETTE = LogicalPalette*;

// Copies entries start .. start+count-1 (as far as the palette reaches) into
// out; returns the number copied, 0 for no palette.
uint32_t GetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, PaletteEntry* out);
// Index of the entry closest to colour (least squared RGB distance, first of
// equals); CLR_INVALID for no palette.
uint32_t GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
// New size; added entries are black. False when there is no palette or the
// size is 0 or above 1024.
bool ResizePalette(HPALETTE palette, uint32_t entries);
// Overwrites entries start .. start+count-1 as far as the palette reaches;
// returns the number set.
uint32_t SetPaletteEntries(HPALETTE palette, uint32_t start, uint32_t count, const PaletteEntry* entries);

// The drawing context of a picture box: the display it draws on, with the
// box's picture palette selected into it (null when the picture has none).
struct DeviceContext {
    HPALETTE palette = nullptr;
};

inline constexpr int SIZEPALETTE = 104; // entries of the system palette (0 unless 8-bit)
inline constexpr int NUMRESERVED = 106; // static colours reserved by the system
int GetDeviceCaps(const DeviceContext& dc, int index);
// Copies system palette entries; 0 when the display has no palette.
uint32_t GetSystemPaletteEntries(const DeviceContext& dc, uint32_t start, uint32_t count, PaletteEntry* out);
// Maps the selected palette into the system palette (foreground); returns the
// number of system entries it changed. Nothing happens unless the display is 8-bit.
uint32_t RealizePalette(const DeviceContext& dc);

// The emulated hardware palette of an 8-bit display: 10 static colours at each
// end, the current colours between. An 8-bit device bitmap stores indexes into it.
class SystemPalette {
public:
    static constexpr int kSize = 256;
    static constexpr int kReserved = 20;

    static const std::array<PaletteEntry, kSize>& entries();
    // The entries as colours, for decoding indexes.
    static const std::array<QRgb, kSize>& colours();
    // Back to the start-up colours: the statics, then a colour cube and grey
    // ramp with no colour twice, so each colour has one index.
    static void reset();

    // Index of the nearest colour (the first index of an exact one).
    static uint8_t nearestIndex(QRgb colour);

    // Maps a logical palette in, as RealizePalette does: each no-collapse
    // entry, and each colour the system lacks, takes the next non-static entry
    // from the first one on; returns the number of entries changed.
    static uint32_t realize(const LogicalPalette& palette);
};

// Index of the entry nearest to colour in a table (squared RGB distance,
// first of equals): the one colour search both palette kinds use.
int nearestEntry(const PaletteEntry* table, int count, QRgb colour);

// The 16 colours of a 16-colour display, in its index order: black, the dark
// colours, light grey, dark grey, the bright colours, white.
inline constexpr std::array<QRgb, 16> kStandardColours = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};
// Index of the standard colour nearest to a colour, as nearestEntry finds it.
int nearestStandardColour(QRgb colour);

}  // namespace lumeye::ui
