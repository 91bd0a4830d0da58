#pragma once

#include "bitmap/PixelArray.h"
#include "ui/Palette.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The conversions between device bitmap bits and pixel arrays, without a
// window: what GetBitmapPixels, SetBitmapPixels and MatchColorPalette compute.
namespace lumeye::pixelcodec {

using PaletteTable = std::array<ui::PaletteEntry, 256>;

// 8, 15, 16, 24 and 32 are the depths the pixel helpers handle.
bool isSupportedDepth(int depth);

// The bad-depth error: 0x800403E9, "Invalid number of bits per pixel: <depth>",
// raised as from DDBHelper.GetBitmapPixels.
[[noreturn]] void throwInvalidDepth(int depth);

// Bytes of one row written for an array width at a supported depth, padded to
// an even count. Widths and row lengths are 16-bit: a larger one is an
// overflow error with the given source.
int16_t packedRowBytes(int depth, int width, const std::string& source);

// Fills pixels (already of the bitmap's dimensions) from raw bits with rows of
// widthBytes bytes. Depth 8 looks each index up in table; 24 copies 3·width
// bytes a row; 15 and 16 give the word's own channel ranges.
void unpack(const uint8_t* bits, int32_t widthBytes, int depth, const PaletteTable& table, PixelArray& pixels);

// Packs pixels into a zero-filled buffer of height·rowBytes bytes. Depths 15
// and 16 clamp the channels in pixels itself first; depth 8 stores the index
// of the palette's nearest colour.
std::vector<uint8_t> pack(int depth, PixelArray& pixels, int16_t rowBytes, ui::HPALETTE palette);
// The same into rows of rowBytes at bits, zero-filled by the caller (a
// bitmap's own bits: nothing copied after).
void packInto(uint8_t* bits, int depth, PixelArray& pixels, int32_t rowBytes, ui::HPALETTE palette);

// The palette a picture gets to match a system palette of n entries with
// `reserved` static colours: the statics copied at both ends (flags kept), the
// entries between with the system's colours marked no-collapse; entries
// beyond n as the system table holds them.
PaletteTable matchedPalette(const PaletteTable& system, int n, int reserved);

}  // namespace lumeye::pixelcodec
