// The quick ways through the letter reduction and the device bitmaps give
// byte for byte what the plain rules give: each is checked here against a
// direct transcription of its rule.
#include "acuity/Reduction.h"
#include "bitmap/PixelCodec.h"
#include "core/Numeric.h"
#include "ui/DeviceBitmap.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace lumeye;
using namespace lumeye::acuity;

namespace {
// The routine the errors of the code under test name: its caller.
const std::string kCaller = "Test.Caller";

// The averaging rule as written: for every target pixel, 64-bit float sums
// over its box of source pixels (clipped to the source), divided by the
// box's pixel count and rounded to a byte, halves to even.
PixelArray averagedByTheRule(const PixelArray& source, int width, int height, const ReduceParams& p) {
    PixelArray target(width, height);
    for (int y = 0; y < height; ++y) {
        const SourceSpan rows = SourceSpanFor(y, p.DstTop, p.ReduceScaleY, p.SrcTop, kCaller);
        const int y0 = std::clamp<int>(rows.first, 0, source.height() - 1);
        const int y1 = std::clamp<int>(static_cast<int>(rows.last), y0, source.height() - 1);
        for (int x = 0; x < width; ++x) {
            const SourceSpan columns = SourceSpanFor(x, p.DstLeft, p.ReduceScaleX, p.SrcLeft, kCaller);
            const int x0 = std::clamp<int>(columns.first, 0, source.width() - 1);
            const int x1 = std::clamp<int>(static_cast<int>(columns.last), x0, source.width() - 1);
            double blue = 0, green = 0, red = 0;
            for (int sy = y0; sy <= y1; ++sy)
                for (int sx = x0; sx <= x1; ++sx) {
                    blue += source(sx, sy).Blue;
                    green += source(sx, sy).Green;
                    red += source(sx, sy).Red;
                }
            const double n = double(x1 - x0 + 1) * double(y1 - y0 + 1);
            target(x, y) = PixelTriple{toByte(blue / n, "t"), toByte(green / n, "t"), toByte(red / n, "t")};
        }
    }
    return target;
}

PixelArray noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    PixelArray a(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            a(x, y) = PixelTriple{uint8_t(random()), uint8_t(random()), uint8_t(random())};
    return a;
}

// A master E as a 32-bit display delivers it.
PixelArray masterPixels(int direction) {
    const QImage image(QStringLiteral(LUMEYE_SOURCE_DIR "/resources/masters/pic%1.bmp").arg(direction));
    PixelArray a(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            a(x, y) = PixelTriple{uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c))};
        }
    return a;
}

PixelArray averaged(const PixelArray& source, int width, int height, const ReduceParams& p) {
    PixelArray target(width, height);
    AveragePixels(source, target, p, kCaller);
    return target;
}

ReduceParams wholePicture(const PixelArray& source, int width, int height) {
    return MakeReduceParams(0, 0, float(source.width()), float(source.height()), 0, 0, float(width),
                            float(height), kCaller);
}

}  // namespace

// Every size a chart can ask for, from letters of a few pixels to enlarged
// ones, square or not, on pictures of every colour (so every rounding case,
// ties included, comes up).
TEST(FastPathReduction, GivesWhatTheRuleGivesAtEverySize) {
    const PixelArray source = noise(300, 300, 7);
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {12, 12}, {42, 17}, {100, 100}, {140, 139}, {150, 150},
                        {298, 299}, {299, 299}, {300, 300}, {318, 320}, {560, 560}, {601, 77}}) {
        const ReduceParams p = wholePicture(source, w, h);
        EXPECT_EQ(averaged(source, w, h, p), averagedByTheRule(source, w, h, p)) << w << " x " << h;
    }
}

TEST(FastPathReduction, GivesWhatTheRuleGivesForTheMasters) {
    for (int direction = 1; direction <= 4; ++direction) {
        const PixelArray master = masterPixels(direction);
        ASSERT_EQ(master.width(), 300);
        for (int size : {12, 42, 140, 161, 299, 560}) {
            const ReduceParams p = wholePicture(master, size, size);
            EXPECT_EQ(averaged(master, size, size, p), averagedByTheRule(master, size, size, p))
                << "direction " << direction << ", " << size << " pixels";
        }
    }
}

// Shifted origins put boxes partly or wholly outside the source: they are
// clipped the same way.
TEST(FastPathReduction, GivesWhatTheRuleGivesWithShiftedOrigins) {
    const PixelArray source = noise(37, 23, 11);
    for (auto [srcLeft, srcTop, dstLeft, dstTop] :
         {std::tuple{0.f, 0.f, 3.f, 0.f}, {5.5f, 2.f, 0.f, 0.f}, {-4.f, 0.f, 0.f, 2.5f}, {30.f, 20.f, 0.f, 0.f}}) {
        const ReduceParams p = MakeReduceParams(srcLeft, srcTop, 37, 23, dstLeft, dstTop, 15, 9, kCaller);
        EXPECT_EQ(averaged(source, 15, 9, p), averagedByTheRule(source, 15, 9, p))
            << srcLeft << " " << srcTop << " " << dstLeft << " " << dstTop;
    }
}

TEST(FastPathReduction, ASourceOfOneRowOrColumnStillAverages) {
    const PixelArray row = noise(50, 1, 3), column = noise(1, 50, 4);
    const ReduceParams p = MakeReduceParams(0, 0, 50, 50, 0, 0, 7, 7, kCaller);
    EXPECT_EQ(averaged(row, 7, 7, p), averagedByTheRule(row, 7, 7, p));
    EXPECT_EQ(averaged(column, 7, 7, p), averagedByTheRule(column, 7, 7, p));
}

namespace {

// A bitmap whose bytes, padding included, are all different from a fill.
ui::DeviceBitmap scrambled(int width, int height, ui::PixelLayout layout) {
    ui::DeviceBitmap b(width, height, layout);
    std::mt19937 random(uint32_t(width * 31 + int(layout)));
    for (int64_t i = 0; i < b.byteCount(); ++i) b.bits()[i] = uint8_t(random());
    return b;
}

}  // namespace

// Filling an area gives the bytes that storing the colour pixel by pixel
// gives, in every layout, and leaves the bytes outside the area (padding
// too) as they were.
TEST(FastPathFill, FillingIsStoringEveryPixelOfTheArea) {
    using ui::PixelLayout;
    for (PixelLayout layout : {PixelLayout::Mono1, PixelLayout::Vga4, PixelLayout::Indexed8, PixelLayout::Rgb555,
                               PixelLayout::Rgb565, PixelLayout::Bgr24, PixelLayout::Bgrx32}) {
        for (QRect area : {QRect(0, 0, 37, 11), QRect(3, 2, 20, 5), QRect(36, 10, 1, 1), QRect(-5, -5, 12, 40),
                           QRect(30, 4, 50, 3), QRect(5, 5, 0, 3)}) {
            for (QRgb colour : {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(77, 140, 201)}) {
                ui::DeviceBitmap filled = scrambled(37, 11, layout);
                ui::DeviceBitmap stored = filled;
                filled.fillRect(area, colour);
                const QRect inside = area.intersected(QRect(0, 0, 37, 11));
                for (int y = inside.top(); y <= inside.bottom(); ++y)
                    for (int x = inside.left(); x <= inside.right(); ++x) stored.setPixel(x, y, colour);
                EXPECT_TRUE(filled == stored) << "layout " << int(layout) << ", area " << area.x() << ","
                                              << area.y() << " " << area.width() << "x" << area.height();
            }
        }
    }
}

// A new bitmap is black in every byte, small or screen-sized, also where it
// is given the memory of one that was drawn on and freed before.
TEST(FastPathFill, NewBitmapsAreBlackWhereverTheirMemoryComesFrom) {
    for (int round = 0; round < 2; ++round)
        for (QSize size : {QSize(3, 2), QSize(300, 300), QSize(3840, 2160)}) {
            ui::DeviceBitmap b(size.width(), size.height(), ui::PixelLayout::Bgrx32);
            EXPECT_TRUE(std::all_of(b.bits(), b.bits() + b.byteCount(), [](uint8_t v) { return v == 0; }))
                << size.width() << "x" << size.height() << ", round " << round;
            b.fill(qRgb(255, 255, 255));
        }
}

namespace {

// 32-bit pixels to triples and back, one byte at a time, as the rule says.
void unpackByTheRule(const uint8_t* bits, int32_t widthBytes, PixelArray& pixels) {
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const uint8_t* p = bits + int64_t(y) * widthBytes + 4 * x;
            pixels(x, y) = PixelTriple{p[0], p[1], p[2]};
        }
}

std::vector<uint8_t> packByTheRule(const PixelArray& pixels, int16_t rowBytes) {
    std::vector<uint8_t> buffer(size_t(rowBytes) * size_t(pixels.height()), 0);
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            uint8_t* p = buffer.data() + size_t(y) * size_t(rowBytes) + 4 * x;
            p[0] = pixels(x, y).Blue;
            p[1] = pixels(x, y).Green;
            p[2] = pixels(x, y).Red;
        }
    return buffer;
}

}  // namespace

// 32-bit rows move a word a pixel: the triples, the zero fourth bytes and
// the row ends come out as byte by byte, at every width.
TEST(FastPathPixels, ThirtyTwoBitRowsMoveAsByteByByte) {
    const pixelcodec::PaletteTable noPalette{};
    for (int width : {1, 2, 3, 7, 300, 301}) {
        const int height = 5;
        const int16_t rowBytes = pixelcodec::packedRowBytes(32, width, "t");
        std::vector<uint8_t> bits(size_t(rowBytes) * height);
        std::mt19937 random{uint32_t(width)};
        for (uint8_t& b : bits) b = uint8_t(random());

        PixelArray quick(width, height), plain(width, height);
        pixelcodec::unpack(bits.data(), rowBytes, 32, noPalette, quick);
        unpackByTheRule(bits.data(), rowBytes, plain);
        EXPECT_EQ(quick, plain) << width;

        EXPECT_EQ(pixelcodec::pack(32, quick, rowBytes, nullptr), packByTheRule(plain, rowBytes)) << width;
    }
}

// Pixel arrays keep their triples as bytes: re-dimensioning still discards
// every old pixel, and element (x, y) still lies 3·(x + y·width) bytes in.
TEST(FastPathPixels, ReDimensioningClearsEveryPixel) {
    PixelArray a = noise(5, 3, 9);
    for (auto [w, h] : {std::pair{5, 3}, {4, 6}, {7, 2}, {0, 4}}) {
        a.redim(w, h);
        ASSERT_EQ(a.width(), w);
        ASSERT_EQ(a.height(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                EXPECT_EQ(a(x, y), PixelTriple{}) << w << "x" << h << " at " << x << "," << y;
                EXPECT_EQ(reinterpret_cast<const uint8_t*>(&a(x, y)) - reinterpret_cast<const uint8_t*>(a.row(0)),
                          3 * (x + y * w));
            }
        if (w > 0 && h > 0) a(w - 1, h - 1) = PixelTriple{1, 2, 3};
    }
}
