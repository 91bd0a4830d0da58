#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace lumeye::print {

// A device-independent bitmap of 4 bits per pixel, as the card is handed to
// the printer: the 104-byte BITMAPINFO (a 40-byte BITMAPINFOHEADER and 16
// RGBQUAD colours, little-endian) and the pixel rows, bottom row first, each
// padded to a multiple of 4 bytes, the left pixel in the high nibble.
struct Dib4 {
    static constexpr int kHeaderSize = 40;
    static constexpr int kColours = 16;
    static constexpr int kInfoSize = kHeaderSize + kColours * 4;

    std::array<uint8_t, kInfoSize> info{};
    std::vector<uint8_t> bits;

    // Read back from the header.
    int32_t width() const;
    int32_t height() const;
    int16_t bitCount() const;
};

// Bytes in one row of a 4-bit DIB: round((width + 1) / 2), then up to a
// multiple of 4.
int32_t dibRowLength4(int32_t width);

// Converts a picture of any format into a 4-bit DIB. The colour table is the
// 16 standard colours, and each pixel becomes the nearest of them (least
// squared RGB distance, first of equals).
Dib4 toDib4(const QImage& picture);

// The DIB as an 8-bit indexed image with its 16-colour table, top row first:
// what a page stretches.
QImage toImage(const Dib4& dib);

}  // namespace lumeye::print
