#include "bitmap/DDBHelper.h"

#include "bitmap/PixelCodec.h"
#include "core/Error.h"
#include "core/Numeric.h"
#include "ui/Application.h"
#include "ui/PictureBox.h"

#include <QColor>

#include <algorithm>
#include <memory>

namespace lumeye::DDBHelper {
namespace {
const std::string kGetSource = "DDBHelper.GetBitmapPixels";
const std::string kSetSource = "DDBHelper.SetBitmapPixels";
const std::string kMatchSource = "DDBHelper.MatchColorPalette";

// A 16-bit display stores white as 0x7FFF when its words are 5-5-5 and as
// 0xFFFF when they are 5-6-5: write white into the top-left pixel, look at
// the stored word's top bit, and put the pixel back.
int16_t probeSixteenBitLayout(ui::PictureBox& picture) {
    const double left = picture.ScaleLeft(), top = picture.ScaleTop();
    const QColor remembered = picture.Point(left, top);
    if (!remembered.isValid()) // no pixel to probe: the image's own layout tells
        return picture.Image().layout() == ui::PixelLayout::Rgb555 ? 15 : 16;
    picture.PSet(left, top, QColor(255, 255, 255));
    uint8_t word[2] = {0, 0};
    ui::GetBitmapBits(picture.Image(), 2, word);
    picture.PSet(left, top, remembered);
    return (word[1] & 0x80) == 0 ? 15 : 16;
}
}  // namespace

void GetBitmapPixels(ui::PictureBox& picture, PixelArray& pixels, int16_t& bitsPerPixel) {
    ui::BITMAP bm;
    ui::GetObject(picture.Image(), bm);
    bitsPerPixel = bm.bmBitsPixel;
    if (bm.bmBitsPixel == 16) bitsPerPixel = probeSixteenBitLayout(picture);
    if (!pixelcodec::isSupportedDepth(bitsPerPixel)) pixelcodec::throwInvalidDepth(bitsPerPixel);

    // Widths, heights and row lengths are 16-bit: refuse a picture too large
    // for them before the caller's array is touched.
    const int16_t width = checkedInt16(bm.bmWidth, kGetSource);
    const int16_t height = checkedInt16(bm.bmHeight, kGetSource);
    pixelcodec::packedRowBytes(bitsPerPixel, width, kGetSource);

    pixels.redim(width, height);
    if (bitsPerPixel != 8) {
        // Nothing can change the image before its bits are converted, so
        // they are converted where they lie rather than copied out first.
        const pixelcodec::PaletteTable noTable{};
        pixelcodec::unpack(picture.Image().bits(), bm.bmWidthBytes, bitsPerPixel, noTable, pixels);
        return;
    }
    // Matching the palette processes pending events, which may draw on the
    // picture: its bits are taken first. The buffer is zero-filled where
    // the bitmap's bits do not reach it.
    const size_t rawSize = size_t(bm.bmWidthBytes) * size_t(height);
    const auto raw = std::make_unique_for_overwrite<uint8_t[]>(rawSize);
    const int32_t read = ui::GetBitmapBits(picture.Image(), int32_t(rawSize), raw.get());
    std::fill(raw.get() + read, raw.get() + rawSize, uint8_t(0));

    MatchColorPalette(picture);
    pixelcodec::PaletteTable table{};
    ui::GetPaletteEntries(picture.Picture().hPal(), 0, 256, table.data());
    pixelcodec::unpack(raw.get(), bm.bmWidthBytes, bitsPerPixel, table, pixels);
}

void SetBitmapPixels(ui::PictureBox& picture, int16_t bitsPerPixel, PixelArray& pixels) {
    if (!pixelcodec::isSupportedDepth(bitsPerPixel)) pixelcodec::throwInvalidDepth(bitsPerPixel);
    const int16_t width = checkedInt16(int64_t(pixels.upperBoundX()) + 1, kSetSource);
    const int16_t height = checkedInt16(int64_t(pixels.upperBoundY()) + 1, kSetSource);
    const int16_t rowBytes = pixelcodec::packedRowBytes(bitsPerPixel, width, kSetSource);

    const ui::HPALETTE palette = bitsPerPixel == 8 ? picture.Picture().hPal() : nullptr;
    const std::vector<uint8_t> raw = pixelcodec::pack(bitsPerPixel, pixels, rowBytes, palette);

    ui::SetBitmapBits(picture.Image(), int32_t(height) * rowBytes, raw.data());
    picture.Refresh();
}

void MatchColorPalette(ui::PictureBox& picture) {
    picture.ZOrder();
    ui::RealizePalette(picture.hDC());
    ui::Application::DoEvents();

    // The tables hold 256 entries: a larger system palette is matched in its
    // first 256.
    const int n = std::clamp(ui::GetDeviceCaps(picture.hDC(), ui::SIZEPALETTE), 0, 256);
    const int reserved = ui::GetDeviceCaps(picture.hDC(), ui::NUMRESERVED);
    pixelcodec::PaletteTable system{};
    ui::GetSystemPaletteEntries(picture.hDC(), 0, uint32_t(n), system.data());

    const ui::HPALETTE palette = picture.Picture().hPal();
    if (!ui::ResizePalette(palette, uint32_t(n)))
        throw Error(ErrorNumber::PaletteMatch, "Error matching bitmap palette", kMatchSource);

    const pixelcodec::PaletteTable table = pixelcodec::matchedPalette(system, n, reserved);
    ui::SetPaletteEntries(palette, 0, uint32_t(n), table.data());
    ui::RealizePalette(picture.hDC());
}

}  // namespace lumeye::DDBHelper
