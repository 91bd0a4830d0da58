#include "bitmap/PixelCodec.h"

#include "core/Error.h"
#include "core/Numeric.h"
#include "ui/Rgb16.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lumeye::pixelcodec {
namespace {
using ui::rgb16::putWord;
using ui::rgb16::wordAt;

inline void clamp(uint8_t& channel, uint8_t top) {
    if (channel > top) channel = top;
}

// 32-bit pixels to triples: blue, green and red move, the fourth byte is
// dropped. Each pixel is moved as one 4-byte word whose last byte the next
// pixel's store overwrites; the row's last pixel goes byte by byte, so
// nothing past the row is written.
void unpackWords(const uint8_t* row, PixelTriple* out, int width) {
    auto* to = reinterpret_cast<uint8_t*>(out);
    for (int x = 0; x + 1 < width; ++x) {
        uint32_t word;
        std::memcpy(&word, row + 4 * x, 4);
        std::memcpy(to + 3 * x, &word, 4);
    }
    if (width > 0) out[width - 1] = PixelTriple{row[4 * width - 4], row[4 * width - 3], row[4 * width - 2]};
}

// Triples to 16-bit words, each channel first clamped, in the triple itself,
// to the word's range for it.
template <unsigned (*Pack)(unsigned, unsigned, unsigned)>
void packWords16(PixelTriple* in, uint8_t* row, int width, uint8_t greenTop) {
    for (int x = 0; x < width; ++x) {
        PixelTriple& p = in[x];
        clamp(p.Red, 31);
        clamp(p.Green, greenTop);
        clamp(p.Blue, 31);
        putWord(row, x, Pack(p.Red, p.Green, p.Blue));
    }
}

// The first three bytes of a word read from memory, whatever the byte order.
constexpr uint32_t kFirstThreeBytes = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;

// Triples to 32-bit pixels whose fourth byte is 0: each pixel is read as a
// 4-byte word (the next pixel's blue masked off) and stored as one; the
// row's last pixel is read byte by byte, so nothing past the array is read.
void packWords(const PixelTriple* in, uint8_t* row, int width) {
    const auto* from = reinterpret_cast<const uint8_t*>(in);
    for (int x = 0; x + 1 < width; ++x) {
        uint32_t word;
        std::memcpy(&word, from + 3 * x, 4);
        word &= kFirstThreeBytes;
        std::memcpy(row + 4 * x, &word, 4);
    }
    if (width > 0) {
        const PixelTriple& last = in[width - 1];
        row[4 * width - 4] = last.Blue;
        row[4 * width - 3] = last.Green;
        row[4 * width - 2] = last.Red;
    }
}
}  // namespace

bool isSupportedDepth(int depth) {
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

void throwInvalidDepth(int depth) {
    throw Error(ErrorNumber::InvalidBitsPerPixel, "Invalid number of bits per pixel: " + std::to_string(depth),
                "DDBHelper.GetBitmapPixels");
}

int16_t packedRowBytes(int depth, int width, const std::string& source) {
    const int16_t w = checkedInt16(width, source);
    const int bytesPerPixel = depth == 15 ? 2 : depth / 8;
    int16_t rowBytes = checkedInt16(int64_t(bytesPerPixel) * w, source);
    if (rowBytes % 2 != 0) rowBytes = checkedInt16(int64_t(rowBytes) + 1, source);
    return rowBytes;
}

void unpack(const uint8_t* bits, int32_t widthBytes, int depth, const PaletteTable& table, PixelArray& pixels) {
    const int width = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const uint8_t* row = bits + int64_t(y) * widthBytes;
        PixelTriple* out = pixels.row(y);
        switch (depth) {
        case 8:
            for (int x = 0; x < width; ++x) {
                const ui::PaletteEntry& e = table[row[x]];
                out[x] = PixelTriple{e.peBlue, e.peGreen, e.peRed};
            }
            break;
        case 15:
            for (int x = 0; x < width; ++x) {
                const unsigned w = wordAt(row, x);
                out[x] = PixelTriple{uint8_t(w % 32), uint8_t((w / 32) % 32), uint8_t(w / 1024)};
            }
            break;
        case 16:
            for (int x = 0; x < width; ++x) {
                const unsigned w = wordAt(row, x);
                out[x] = PixelTriple{uint8_t(w % 32), uint8_t((w / 32) % 64), uint8_t(w / 2048)};
            }
            break;
        case 24:
            // Same byte order as the triples: one block copy a row, the
            // padding byte of an odd-length row left behind. Rows of an
            // empty array have no address to copy to.
            if (width > 0) std::memcpy(out, row, size_t(3) * size_t(width));
            break;
        case 32: unpackWords(row, out, width); break;
        default: throwInvalidDepth(depth);
        }
    }
}

std::vector<uint8_t> pack(int depth, PixelArray& pixels, int16_t rowBytes, ui::HPALETTE palette) {
    std::vector<uint8_t> buffer(size_t(rowBytes) * size_t(pixels.height()), 0);
    packInto(buffer.data(), depth, pixels, rowBytes, palette);
    return buffer;
}

void packInto(uint8_t* bits, int depth, PixelArray& pixels, int32_t rowBytes, ui::HPALETTE palette) {
    const int width = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        uint8_t* row = bits + size_t(y) * size_t(rowBytes);
        PixelTriple* in = pixels.row(y);
        switch (depth) {
        case 8: {
            // Letters repeat few colours in long runs: the last lookup is
            // kept, which gives the same index as asking again.
            ui::COLORREF last = 0;
            uint8_t lastIndex = 0;
            bool haveLast = false;
            for (int x = 0; x < width; ++x) {
                const ui::COLORREF colour = ui::RGB(in[x].Red, in[x].Green, in[x].Blue) + 0x2000000;
                if (!haveLast || colour != last) {
                    lastIndex = uint8_t(ui::GetNearestPaletteIndex(palette, colour) & 255);
                    last = colour;
                    haveLast = true;
                }
                row[x] = lastIndex;
            }
            break;
        }
        case 15: packWords16<ui::rgb16::pack555>(in, row, width, 31); break;
        case 16: packWords16<ui::rgb16::pack565>(in, row, width, 63); break;
        case 24:
            if (width > 0) std::memcpy(row, in, size_t(3) * size_t(width));
            break;
        case 32: packWords(in, row, width); break;
        default: throwInvalidDepth(depth);
        }
    }
}

PaletteTable matchedPalette(const PaletteTable& system, int n, int reserved) {
    n = std::clamp(n, 0, int(system.size()));
    const int half = reserved / 2;
    PaletteTable table = system;
    for (int i = half; i < n - half; ++i) {
        table[i] = system[i];
        table[i].peFlags = ui::PC_NOCOLLAPSE;
    }
    return table;
}

}  // namespace lumeye::pixelcodec
