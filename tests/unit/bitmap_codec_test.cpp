// Pixel formats of device bitmaps and their conversion to pixel arrays,
// without a window.
#include "bitmap/PixelCodec.h"
#include "core/Error.h"
#include "ui/DeviceBitmap.h"
#include "ui/Palette.h"
#include "ui/Screen.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace lumeye;
using lumeye::ui::PaletteEntry;
using lumeye::ui::PixelLayout;

namespace {

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(gen());
    return v;
}

// A bitmap with every stored value drawn at random, padding bytes zero.
ui::DeviceBitmap randomBitmap(int w, int h, PixelLayout layout, unsigned seed) {
    ui::DeviceBitmap b(w, h, layout);
    std::mt19937 gen(seed);
    const int bytesUsed = (w * b.bitsPixel() + 7) / 8;
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < bytesUsed; ++i) b.scanLine(y)[i] = uint8_t(gen());
    if (layout == PixelLayout::Rgb555)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.scanLine(y)[2 * x + 1] &= 0x7F;
    if (layout == PixelLayout::Bgrx32)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.scanLine(y)[4 * x + 3] = 0;
    // Bits past the last pixel of a 1- or 4-bit row are padding too.
    const int usedBits = w * b.bitsPixel();
    if (usedBits % 8)
        for (int y = 0; y < h; ++y) b.scanLine(y)[usedBits / 8] &= uint8_t(0xFF << (8 - usedBits % 8));
    return b;
}

void expectError(const std::function<void()>& call, int32_t number, const std::string& description,
                 const std::string& source) {
    try {
        call();
        FAIL() << "no error raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.description(), description);
        EXPECT_EQ(e.source(), source);
    }
}

class SystemPaletteReset : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SystemPalette::reset();
        ui::ScreenInfo screen;
        screen.depth = 8;
        ui::Screen::setOverride(screen);
    }
    void TearDown() override {
        ui::SystemPalette::reset();
        ui::Screen::setOverride(std::nullopt);
    }
};

}  // namespace

// ---- reading bits into arrays

TEST(PixelCodec, SixteenBitWhiteReadsInTheDevicesOwnRanges) {
    const uint8_t white565[] = {0xFF, 0xFF};
    const uint8_t white555[] = {0xFF, 0x7F};
    const pixelcodec::PaletteTable none{};
    PixelArray p(1, 1);
    pixelcodec::unpack(white565, 2, 16, none, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{31, 63, 31}));
    pixelcodec::unpack(white555, 2, 15, none, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{31, 31, 31}));
}

TEST(PixelCodec, SixteenBitChannelsComeFromTheirBitFields) {
    // Red 21 (10101), green 42 (101010), blue 9 (01001): 10101 101010 01001.
    const unsigned w565 = (21u << 11) | (42u << 5) | 9u;
    const unsigned w555 = (21u << 10) | (10u << 5) | 9u;
    const uint8_t bits[] = {uint8_t(w565), uint8_t(w565 >> 8), uint8_t(w555), uint8_t(w555 >> 8)};
    const pixelcodec::PaletteTable none{};
    PixelArray p(1, 1);
    pixelcodec::unpack(bits, 4, 16, none, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{9, 42, 21}));
    pixelcodec::unpack(bits + 2, 4, 15, none, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{9, 10, 21}));
}

TEST(PixelCodec, TwentyFourBitRowsCopyThreeBytesAPixelAndLeaveThePadding) {
    const int w = 301, h = 3;
    const int16_t rowBytes = pixelcodec::packedRowBytes(24, w, "t");
    ASSERT_EQ(rowBytes, 904);
    std::vector<uint8_t> bits = randomBytes(size_t(rowBytes) * h, 1);
    for (int y = 0; y < h; ++y) bits[size_t(y) * rowBytes + 903] = 0xAB; // padding
    PixelArray p(w, h);
    pixelcodec::unpack(bits.data(), rowBytes, 24, {}, p);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* px = &bits[size_t(y) * rowBytes + 3 * x];
            ASSERT_EQ(p(x, y), (PixelTriple{px[0], px[1], px[2]})) << x << "," << y;
        }

    const std::vector<uint8_t> written = pixelcodec::pack(24, p, rowBytes, nullptr);
    ASSERT_EQ(written.size(), size_t(904) * h);
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(0, std::memcmp(&written[size_t(y) * 904], &bits[size_t(y) * 904], 903));
        EXPECT_EQ(written[size_t(y) * 904 + 903], 0) << "row " << y;
    }
}

TEST(PixelCodec, ThirtyTwoBitIgnoresAndWritesZeroInTheFourthByte) {
    const uint8_t bits[] = {10, 20, 30, 0xEE, 40, 50, 60, 0x77};
    PixelArray p(2, 1);
    pixelcodec::unpack(bits, 8, 32, {}, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{10, 20, 30}));
    EXPECT_EQ(p(1, 0), (PixelTriple{40, 50, 60}));
    p(1, 0) = PixelTriple{40, 70, 250};
    const auto out = pixelcodec::pack(32, p, 8, nullptr);
    EXPECT_EQ(out, (std::vector<uint8_t>{10, 20, 30, 0, 40, 70, 250, 0}));
}

TEST(PixelCodec, EightBitLooksIndexesUpInThePaletteTable) {
    pixelcodec::PaletteTable table{};
    table[7] = PaletteEntry{200, 100, 50, 4};
    table[255] = PaletteEntry{255, 255, 255, 0};
    const uint8_t bits[] = {7, 255, 0, 0};
    PixelArray p(2, 1);
    pixelcodec::unpack(bits, 2, 8, table, p);
    EXPECT_EQ(p(0, 0), (PixelTriple{50, 100, 200}));
    EXPECT_EQ(p(1, 0), (PixelTriple{255, 255, 255}));
}

// ---- writing arrays into bits

TEST(PixelCodec, SixteenBitClampsInTheCallersArray) {
    PixelArray p(2, 1);
    p(0, 0) = PixelTriple{40, 70, 40};
    p(1, 0) = PixelTriple{3, 5, 7};
    auto out = pixelcodec::pack(16, p, 4, nullptr);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(p(0, 0), (PixelTriple{31, 63, 31}));
    EXPECT_EQ(out[2] | (out[3] << 8), (7 << 11) | (5 << 5) | 3);

    p(0, 0) = PixelTriple{40, 70, 40};
    out = pixelcodec::pack(15, p, 4, nullptr);
    EXPECT_EQ(out[0] | (out[1] << 8), 0x7FFF);
    EXPECT_EQ(p(0, 0), (PixelTriple{31, 31, 31}));
}

TEST(PixelCodec, TwentyFourAndThirtyTwoBitStoreValuesUnchanged) {
    PixelArray p(1, 1);
    p(0, 0) = PixelTriple{40, 70, 40};
    EXPECT_EQ(pixelcodec::pack(24, p, 4, nullptr), (std::vector<uint8_t>{40, 70, 40, 0}));
    EXPECT_EQ(pixelcodec::pack(32, p, 4, nullptr), (std::vector<uint8_t>{40, 70, 40, 0}));
    EXPECT_EQ(p(0, 0), (PixelTriple{40, 70, 40}));
}

TEST(PixelCodec, EightBitRowsArePaddedToEvenLengthWithZero) {
    const int w = 301, h = 4;
    const int16_t rowBytes = pixelcodec::packedRowBytes(8, w, "t");
    ASSERT_EQ(rowBytes, 302);
    ui::LogicalPalette palette({PaletteEntry{0, 0, 0, 0}, PaletteEntry{128, 128, 128, 0}, PaletteEntry{255, 255, 255, 0}});
    PixelArray p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p(x, y) = PixelTriple{255, 255, 255};
    p(300, 2) = PixelTriple{120, 130, 125}; // nearest: the grey
    const auto out = pixelcodec::pack(8, p, rowBytes, &palette);
    ASSERT_EQ(out.size(), size_t(302) * h);
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(out[size_t(y) * 302 + 301], 0) << "row " << y;
        EXPECT_EQ(out[size_t(y) * 302 + 0], 2);
    }
    EXPECT_EQ(out[size_t(2) * 302 + 300], 1);
}

TEST(PixelCodec, ReadThenWriteGivesTheBitsBackAtEveryDepth) {
    const int w = 37, h = 5; // odd width: padded rows at 8 and 24 bits
    pixelcodec::PaletteTable table{};
    std::vector<PaletteEntry> distinct;
    for (int i = 0; i < 256; ++i) {
        table[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 255), 0};
        distinct.push_back(table[i]);
    }
    ui::LogicalPalette palette(distinct);
    for (int depth : {8, 15, 16, 24, 32}) {
        const int16_t rowBytes = pixelcodec::packedRowBytes(depth, w, "t");
        std::vector<uint8_t> bits = randomBytes(size_t(rowBytes) * h, unsigned(depth));
        for (int y = 0; y < h; ++y) {
            uint8_t* row = &bits[size_t(y) * rowBytes];
            if (depth == 15)
                for (int x = 0; x < w; ++x) row[2 * x + 1] &= 0x7F;
            if (depth == 32)
                for (int x = 0; x < w; ++x) row[4 * x + 3] = 0;
            if (depth == 8 || depth == 24) row[rowBytes - 1] = 0;
        }
        PixelArray p;
        p.redim(w, h);
        pixelcodec::unpack(bits.data(), rowBytes, depth, table, p);
        EXPECT_EQ(pixelcodec::pack(depth, p, rowBytes, &palette), bits) << "depth " << depth;
    }
}

// ---- depths, sizes and errors

TEST(PixelCodec, OnlyTheFiveDepthsAreSupported) {
    for (int d : {8, 15, 16, 24, 32}) EXPECT_TRUE(pixelcodec::isSupportedDepth(d)) << d;
    for (int d : {0, 1, 4, 7, 12, 30, 64}) EXPECT_FALSE(pixelcodec::isSupportedDepth(d)) << d;
    expectError([] { pixelcodec::throwInvalidDepth(4); }, ErrorNumber::InvalidBitsPerPixel,
                "Invalid number of bits per pixel: 4", "DDBHelper.GetBitmapPixels");
    EXPECT_EQ(ErrorNumber::InvalidBitsPerPixel, -2147220503);
}

TEST(PixelCodec, RowLengthsAreSixteenBitAndPaddedToEven) {
    EXPECT_EQ(pixelcodec::packedRowBytes(8, 1, "t"), 2);
    EXPECT_EQ(pixelcodec::packedRowBytes(15, 3, "t"), 6);
    EXPECT_EQ(pixelcodec::packedRowBytes(24, 1, "t"), 4);
    EXPECT_EQ(pixelcodec::packedRowBytes(32, 3, "t"), 12);
    // The widest rows that fit, and one pixel more.
    EXPECT_EQ(pixelcodec::packedRowBytes(16, 16383, "t"), 32766);
    EXPECT_EQ(pixelcodec::packedRowBytes(24, 10922, "t"), 32766);
    EXPECT_EQ(pixelcodec::packedRowBytes(32, 8191, "t"), 32764);
    EXPECT_EQ(pixelcodec::packedRowBytes(8, 32766, "t"), 32766);
    for (auto [depth, width] : {std::pair{16, 16384}, {24, 10923}, {32, 8192}, {8, 32767}, {8, 32768}})
        expectError(
            [depth = depth, width = width] { pixelcodec::packedRowBytes(depth, width, "DDBHelper.SetBitmapPixels"); },
            ErrorNumber::Overflow, "Overflow", "DDBHelper.SetBitmapPixels");
}

TEST(PixelCodec, MatchedPaletteKeepsTheStaticsAndMarksTheRestNoCollapse) {
    pixelcodec::PaletteTable system{};
    for (int i = 0; i < 256; ++i) system[i] = PaletteEntry{uint8_t(i), uint8_t(i / 2), uint8_t(255 - i), uint8_t(i % 3)};
    const auto t = pixelcodec::matchedPalette(system, 256, 20);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(t[i], system[i]) << i;
    for (int i = 246; i < 256; ++i) EXPECT_EQ(t[i], system[i]) << i;
    for (int i = 10; i < 246; ++i) {
        EXPECT_EQ(t[i].peRed, system[i].peRed);
        EXPECT_EQ(t[i].peGreen, system[i].peGreen);
        EXPECT_EQ(t[i].peBlue, system[i].peBlue);
        EXPECT_EQ(t[i].peFlags, ui::PC_NOCOLLAPSE) << i;
    }
    // An odd reserved count keeps half of it, truncated, at each end.
    const auto odd = pixelcodec::matchedPalette(system, 256, 3);
    EXPECT_EQ(odd[0], system[0]);
    EXPECT_EQ(odd[1].peFlags, ui::PC_NOCOLLAPSE);
    EXPECT_EQ(odd[254].peFlags, ui::PC_NOCOLLAPSE);
    EXPECT_EQ(odd[255], system[255]);
}

// ---- device bitmaps

TEST(DeviceBitmap, RowsArePaddedToAnEvenNumberOfBytes) {
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Mono1, 300), 38);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Mono1, 16), 2);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Vga4, 5), 4);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Indexed8, 301), 302);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Rgb565, 3), 6);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Bgr24, 301), 904);
    EXPECT_EQ(ui::widthBytesOf(PixelLayout::Bgrx32, 3), 12);
    ui::DeviceBitmap b(301, 7, PixelLayout::Bgr24);
    ui::BITMAP bm;
    EXPECT_EQ(ui::GetObject(b, bm), 24);
    EXPECT_EQ(bm.bmWidth, 301);
    EXPECT_EQ(bm.bmHeight, 7);
    EXPECT_EQ(bm.bmWidthBytes, 904);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmPlanes, 1);
}

TEST(DeviceBitmap, TheDisplaysDepthChoosesTheLayout) {
    auto layoutOf = [](int depth, int bpp = 0) {
        ui::ScreenInfo s;
        s.depth = depth;
        s.bitsPerPixel = bpp;
        return ui::layoutForDisplay(s);
    };
    EXPECT_EQ(layoutOf(1), PixelLayout::Mono1);
    EXPECT_EQ(layoutOf(4), PixelLayout::Vga4);
    EXPECT_EQ(layoutOf(8), PixelLayout::Indexed8);
    EXPECT_EQ(layoutOf(15), PixelLayout::Rgb555);
    EXPECT_EQ(layoutOf(16), PixelLayout::Rgb565);
    EXPECT_EQ(layoutOf(24), PixelLayout::Bgrx32); // X keeps 24-bit pixels in 32 bits
    EXPECT_EQ(layoutOf(24, 24), PixelLayout::Bgr24);
    EXPECT_EQ(layoutOf(32), PixelLayout::Bgrx32);
}

TEST(DeviceBitmap, WhiteIsStoredInEachLayoutsOwnWay) {
    auto storedWhite = [](PixelLayout layout) {
        ui::DeviceBitmap b(1, 1, layout);
        b.setPixel(0, 0, qRgb(255, 255, 255));
        return std::vector<uint8_t>(b.bits(), b.bits() + b.byteCount());
    };
    EXPECT_EQ(storedWhite(PixelLayout::Rgb565), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(storedWhite(PixelLayout::Rgb555), (std::vector<uint8_t>{0xFF, 0x7F}));
    EXPECT_EQ(storedWhite(PixelLayout::Bgr24), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(storedWhite(PixelLayout::Bgrx32), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(storedWhite(PixelLayout::Mono1), (std::vector<uint8_t>{0x80, 0}));
    EXPECT_EQ(storedWhite(PixelLayout::Vga4), (std::vector<uint8_t>{0xF0, 0}));
}

TEST_F(SystemPaletteReset, DecodingAndEncodingKeepEveryStoredValue) {
    for (PixelLayout layout : {PixelLayout::Mono1, PixelLayout::Vga4, PixelLayout::Indexed8, PixelLayout::Rgb555,
                               PixelLayout::Rgb565, PixelLayout::Bgr24, PixelLayout::Bgrx32}) {
        const ui::DeviceBitmap original = randomBitmap(23, 9, layout, unsigned(layout) + 5);
        ui::DeviceBitmap copy(23, 9, layout);
        copy.drawImage(QPoint(0, 0), original.toImage());
        EXPECT_TRUE(copy == original) << "layout " << int(layout);
    }
}

TEST(DeviceBitmap, FiveAndSixBitChannelsWidenToFullScale) {
    ui::DeviceBitmap b(2, 1, PixelLayout::Rgb565);
    const uint8_t bits[] = {0xFF, 0xFF, 0x00, 0x84}; // white; red 16, green 32, blue 0
    ui::SetBitmapBits(b, 4, bits);
    EXPECT_EQ(b.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(b.pixel(1, 0), qRgb(132, 130, 0));
}

TEST(DeviceBitmap, DrawingIsClippedAndCopiesPixelForPixel) {
    QImage src(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) src.setPixel(x, y, qRgb(x * 60, y * 100, 7));
    ui::DeviceBitmap b(5, 5, PixelLayout::Bgr24);
    b.fill(qRgb(1, 2, 3));
    b.drawImage(QPoint(3, -1), src);
    EXPECT_EQ(b.pixel(2, 0), qRgb(1, 2, 3));
    EXPECT_EQ(b.pixel(3, 0), qRgb(0, 100, 7));
    EXPECT_EQ(b.pixel(4, 1), qRgb(60, 200, 7));
    EXPECT_EQ(b.pixel(4, 2), qRgb(1, 2, 3));
    // Padding bytes at the end of each 16-byte row stay as they were.
    for (int y = 0; y < 5; ++y) EXPECT_EQ(b.scanLine(y)[15], 0);
}

// One-bit pictures are read bit by bit: the same pixels as the picture
// converted by Qt, in either bit order, clipped at an odd bit.
TEST(DeviceBitmap, OneBitPicturesDrawAsConverted) {
    for (QImage::Format bitOrder : {QImage::Format_Mono, QImage::Format_MonoLSB}) {
        QImage src(37, 5, bitOrder);
        src.setColorTable({qRgb(200, 10, 30), qRgb(5, 250, 90)});
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) src.setPixel(x, y, uint((x * 7 + y * 3) % 5 < 2));
        ui::DeviceBitmap drawn(40, 6, PixelLayout::Bgrx32), converted(40, 6, PixelLayout::Bgrx32);
        drawn.drawImage(QPoint(-3, 2), src);
        converted.drawImage(QPoint(-3, 2), src.convertToFormat(QImage::Format_RGB32));
        EXPECT_TRUE(drawn == converted) << "format " << int(bitOrder);
        EXPECT_EQ(drawn.pixel(0, 2), src.pixel(3, 0));
    }
}

TEST(DeviceBitmap, ResizingKeepsTheOverlapAndFillsTheRest) {
    ui::DeviceBitmap b(3, 2, PixelLayout::Rgb565);
    b.fill(qRgb(255, 0, 0));
    b.setPixel(2, 1, qRgb(0, 0, 255));
    const ui::DeviceBitmap r = b.resized(4, 3, PixelLayout::Bgrx32, qRgb(255, 255, 255));
    EXPECT_EQ(r.layout(), PixelLayout::Bgrx32);
    EXPECT_EQ(r.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(r.pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(r.pixel(3, 0), qRgb(255, 255, 255));
    EXPECT_EQ(r.pixel(0, 2), qRgb(255, 255, 255));
    const ui::DeviceBitmap smaller = b.resized(2, 2, PixelLayout::Rgb565, 0);
    EXPECT_EQ(smaller.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(DeviceBitmap, BitsMoveAsFarAsCountAndBitmapAllow) {
    ui::DeviceBitmap b(3, 2, PixelLayout::Indexed8); // rows of 4 bytes
    const std::vector<uint8_t> in = randomBytes(10, 3);
    EXPECT_EQ(ui::SetBitmapBits(b, 10, in.data()), 8);
    std::vector<uint8_t> out(10, 0xCC);
    EXPECT_EQ(ui::GetBitmapBits(b, 2, out.data()), 2);
    EXPECT_EQ(out[1], in[1]);
    EXPECT_EQ(out[2], 0xCC);
    EXPECT_EQ(ui::GetBitmapBits(b, 100, out.data()), 8);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 8, in.begin()));
}

// ---- palettes

TEST(Palette, LogicalPaletteCalls) {
    ui::LogicalPalette p({PaletteEntry{0, 0, 0, 0}, PaletteEntry{250, 0, 0, 0}, PaletteEntry{250, 0, 0, 0}});
    // The top byte of a palette-relative colour is not part of the colour;
    // equal distances go to the first entry.
    EXPECT_EQ(ui::GetNearestPaletteIndex(&p, ui::RGB(240, 10, 0) + 0x2000000), 1u);
    EXPECT_EQ(ui::GetNearestPaletteIndex(&p, ui::RGB(20, 0, 0)), 0u);
    EXPECT_EQ(ui::GetNearestPaletteIndex(nullptr, 0), ui::CLR_INVALID);

    EXPECT_TRUE(ui::ResizePalette(&p, 256));
    EXPECT_EQ(p.entries().size(), 256u);
    EXPECT_EQ(p.entries()[255], PaletteEntry{});
    EXPECT_FALSE(ui::ResizePalette(nullptr, 256));
    EXPECT_FALSE(ui::ResizePalette(&p, 0));

    const PaletteEntry e[3] = {{1, 2, 3, 4}, {5, 6, 7, 0}, {9, 9, 9, 9}};
    EXPECT_EQ(ui::SetPaletteEntries(&p, 254, 3, e), 2u);
    PaletteEntry out[4] = {};
    EXPECT_EQ(ui::GetPaletteEntries(&p, 253, 4, out), 3u);
    EXPECT_EQ(out[1], e[0]);
    EXPECT_EQ(out[2], e[1]);
    EXPECT_EQ(ui::GetPaletteEntries(nullptr, 0, 4, out), 0u);
}

TEST_F(SystemPaletteReset, TheSystemPaletteHasTwentyStaticsAndNoColourTwice) {
    const auto& s = ui::SystemPalette::entries();
    EXPECT_EQ(s[0], (PaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(s[7], (PaletteEntry{192, 192, 192, 0}));
    EXPECT_EQ(s[249], (PaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(s[255], (PaletteEntry{255, 255, 255, 0}));
    std::set<uint32_t> colours;
    for (const auto& e : s) colours.insert(ui::RGB(e.peRed, e.peGreen, e.peBlue));
    EXPECT_EQ(colours.size(), 256u);

    const ui::DeviceContext dc;
    EXPECT_EQ(ui::GetDeviceCaps(dc, ui::SIZEPALETTE), 256);
    EXPECT_EQ(ui::GetDeviceCaps(dc, ui::NUMRESERVED), 20);
    PaletteEntry copy[256];
    EXPECT_EQ(ui::GetSystemPaletteEntries(dc, 0, 256, copy), 256u);
    EXPECT_EQ(copy[128], s[128]);

    ui::ScreenInfo trueColour;
    trueColour.depth = 24;
    ui::Screen::setOverride(trueColour);
    EXPECT_EQ(ui::GetDeviceCaps(dc, ui::SIZEPALETTE), 0);
    EXPECT_EQ(ui::GetSystemPaletteEntries(dc, 0, 256, copy), 0u);
}

TEST_F(SystemPaletteReset, RealizingPlacesNewAndNoCollapseColoursBetweenTheStatics) {
    const auto before = ui::SystemPalette::entries();
    // Colours the system holds already change nothing.
    ui::LogicalPalette known({PaletteEntry{255, 255, 255, 0}, PaletteEntry{0, 0, 0, 0}});
    EXPECT_EQ(ui::RealizePalette(ui::DeviceContext{&known}), 0u);
    EXPECT_TRUE(ui::SystemPalette::entries() == before);

    ui::LogicalPalette mine({PaletteEntry{1, 2, 3, 0}, PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, ui::PC_NOCOLLAPSE}});
    EXPECT_EQ(ui::RealizePalette(ui::DeviceContext{&mine}), 2u);
    const auto& after = ui::SystemPalette::entries();
    EXPECT_EQ(after[10], (PaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(after[11], (PaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[255], before[255]);
    EXPECT_EQ(after[12], before[12]);
    EXPECT_EQ(ui::SystemPalette::nearestIndex(qRgb(1, 2, 3)), 10);
    EXPECT_EQ(ui::SystemPalette::colours()[10], qRgb(1, 2, 3));
}
