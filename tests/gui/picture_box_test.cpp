// The picture box and the pixel helpers on real widgets, at every display
// depth the screen can be forced to.
#include "GuiTest.h"

#include "bitmap/DDBHelper.h"
#include "core/Error.h"
#include "ui/Control.h"
#include "ui/Fonts.h"
#include "ui/PictureBox.h"
#include "ui/Screen.h"

#include <QFontMetricsF>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

using namespace lumeye;
using ui::PictureBox;
using ui::PixelLayout;

namespace {

void setDisplay(int depth, int bitsPerPixel = 0) {
    testing::useScreen({.depth = depth, .bitsPerPixel = bitsPerPixel});
}

// A borderless box measured in pixels with a white inner area of w x h.
std::unique_ptr<PictureBox> whiteBox(int w, int h) {
    auto box = std::make_unique<PictureBox>();
    box->setBorderStyle(PictureBox::BorderStyle::None);
    box->setScaleMode(ui::ScaleMode::Pixels);
    box->resize(w, h);
    box->setBackColor(Qt::white);
    return box;
}

std::vector<uint8_t> bitsOf(const ui::DeviceBitmap& b) { return std::vector<uint8_t>(b.bits(), b.bits() + b.byteCount()); }

void fillBits(PictureBox& box, uint8_t value) {
    std::vector<uint8_t> bytes(size_t(box.Image().byteCount()), value);
    ui::SetBitmapBits(box.Image(), int32_t(bytes.size()), bytes.data());
}

// Runs a call that must raise the program's error; returns it.
Error raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    return Error(0, "no error", "");
}

// A picture with a smooth grey ramp, a red bar and black text: what a chart holds.
QImage chartLikeScene(int w, int h) {
    QImage scene(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int grey = 255 * x / (w - 1);
            scene.setPixel(x, y, y < h / 2 ? qRgb(grey, grey, grey) : qRgb(255, 0, 0));
        }
    return scene;
}

int maxChannelDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// The 300 x 300 1-bit picture of a master E: entry 0 white, 1 black.
QImage oneBitPicture() {
    QImage image(300, 300, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 1; y <= 60; ++y)
        for (int x = 1; x < 300; ++x) image.setPixel(x, y, 1);
    return image;
}

}  // namespace

class PictureBoxTest : public testing::GuiTest {
    Q_OBJECT

    void initTest() override { setDisplay(24); }

private slots:

    // ---- GetBitmapPixels / SetBitmapPixels at each depth

    void sixteenBitWhiteAndTheProbe_data() {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("green");
        QTest::newRow("5-6-5") << 16 << 63;
        QTest::newRow("5-5-5") << 15 << 31;
    }
    void sixteenBitWhiteAndTheProbe() {
        QFETCH(int, depth);
        QFETCH(int, green);
        setDisplay(depth);
        auto box = whiteBox(5, 4);
        box->PSet(0, 0, QColor(200, 100, 40));
        const std::vector<uint8_t> before = bitsOf(box->Image());

        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        QCOMPARE(bpp, int16_t(depth));
        QCOMPARE(pixels.width(), 5);
        QCOMPARE(pixels.height(), 4);
        QCOMPARE(pixels(4, 3), (PixelTriple{31, uint8_t(green), 31}));
        // The probed pixel has its colour back, to the bit.
        QCOMPARE(bitsOf(box->Image()), before);
        QCOMPARE(pixels(0, 0), (PixelTriple{40 >> 3, uint8_t(depth == 16 ? 100 >> 2 : 100 >> 3), 200 >> 3}));
    }

    void twentyFourBitRowsOfWidth301() {
        setDisplay(24, 24);
        auto box = whiteBox(301, 3);
        ui::BITMAP bm;
        ui::GetObject(box->Image(), bm);
        QCOMPARE(bm.bmBitsPixel, int16_t(24));
        QCOMPARE(bm.bmWidthBytes, 904);
        fillBits(*box, 0xAB);

        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        QCOMPARE(bpp, int16_t(24));
        QCOMPARE(pixels(300, 2), (PixelTriple{0xAB, 0xAB, 0xAB}));

        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 301; ++x) pixels(x, y) = PixelTriple{uint8_t(x), uint8_t(y), 7};
        DDBHelper::SetBitmapPixels(*box, bpp, pixels);
        const std::vector<uint8_t> bits = bitsOf(box->Image());
        for (int y = 0; y < 3; ++y) {
            const uint8_t* row = bits.data() + 904 * y;
            QCOMPARE(std::memcmp(row, pixels.row(y), 903), 0);
            QCOMPARE(row[903], uint8_t(0));
        }
    }

    void eightBitRowsOfWidth301() {
        setDisplay(8);
        auto box = whiteBox(301, 2);
        box->setPicture(ui::StdPicture(box->Image()));
        fillBits(*box, 0xAB);

        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        QCOMPARE(bpp, int16_t(8));
        const ui::PaletteEntry ab = ui::SystemPalette::entries()[0xAB];
        QCOMPARE(pixels(300, 1), (PixelTriple{ab.peBlue, ab.peGreen, ab.peRed}));

        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 301; ++x) pixels(x, y) = PixelTriple{255, 255, 255};
        pixels(0, 1) = PixelTriple{0, 0, 255}; // light red, a static colour
        DDBHelper::SetBitmapPixels(*box, bpp, pixels);
        QCOMPARE(box->Image().widthBytes(), 302);
        const std::vector<uint8_t> bits = bitsOf(box->Image());
        for (int y = 0; y < 2; ++y) {
            QCOMPARE(bits[size_t(302 * y + 301)], uint8_t(0));
            QCOMPARE(bits[size_t(302 * y + 300)], uint8_t(255)); // white
        }
        QCOMPARE(bits[302], uint8_t(249));
        QCOMPARE(box->Point(0, 1), QColor(255, 0, 0));
    }

    void outOfRangeChannelsAtEachDepth() {
        setDisplay(16);
        auto box = whiteBox(2, 2);
        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        pixels(1, 1) = PixelTriple{40, 70, 40};
        pixels(0, 0) = PixelTriple{0, 0, 0};
        DDBHelper::SetBitmapPixels(*box, bpp, pixels);
        QCOMPARE(pixels(1, 1), (PixelTriple{31, 63, 31}));
        const uint8_t* last = box->Image().scanLine(1) + 2;
        QCOMPARE(last[0], uint8_t(0xFF));
        QCOMPARE(last[1], uint8_t(0xFF));
        QCOMPARE(box->Point(0, 0), QColor(0, 0, 0));

        for (int depth : {24, 32}) {
            setDisplay(depth, depth);
            auto wide = whiteBox(2, 1);
            DDBHelper::GetBitmapPixels(*wide, pixels, bpp);
            pixels(1, 0) = PixelTriple{40, 70, 40};
            DDBHelper::SetBitmapPixels(*wide, bpp, pixels);
            QCOMPARE(pixels(1, 0), (PixelTriple{40, 70, 40}));
            const uint8_t* stored = wide->Image().scanLine(0) + (depth / 8);
            QCOMPARE(stored[0], uint8_t(40));
            QCOMPARE(stored[1], uint8_t(70));
            QCOMPARE(stored[2], uint8_t(40));
        }
    }

    void thirtyTwoBitFourthByteIsZero() {
        setDisplay(24); // a 24-bit X display keeps 32 bits a pixel
        auto box = whiteBox(7, 3);
        fillBits(*box, 0xFF);
        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        QCOMPARE(bpp, int16_t(32));
        QCOMPARE(pixels(6, 2), (PixelTriple{255, 255, 255}));
        pixels(3, 1) = PixelTriple{1, 2, 3};
        DDBHelper::SetBitmapPixels(*box, bpp, pixels);
        const std::vector<uint8_t> bits = bitsOf(box->Image());
        for (size_t i = 3; i < bits.size(); i += 4) QCOMPARE(bits[i], uint8_t(0));
        QCOMPARE(box->Point(3, 1), QColor(3, 2, 1));
    }

    void unsupportedDepthsRaiseAndTouchNothing_data() {
        QTest::addColumn<int>("depth");
        QTest::newRow("4-bit display") << 4;
        QTest::newRow("1-bit display") << 1;
    }
    void unsupportedDepthsRaiseAndTouchNothing() {
        QFETCH(int, depth);
        setDisplay(depth);
        auto box = whiteBox(6, 5);
        QCOMPARE(box->Image().bitsPixel(), depth);
        const std::vector<uint8_t> image = bitsOf(box->Image());
        PixelArray pixels(3, 2);
        pixels(2, 1) = PixelTriple{9, 8, 7};
        const PixelArray kept = pixels;
        const QString description = QStringLiteral("Invalid number of bits per pixel: %1").arg(depth);

        int16_t bpp = 0;
        Error e = raised([&] { DDBHelper::GetBitmapPixels(*box, pixels, bpp); });
        QCOMPARE(e.number(), int32_t(0x800403E9));
        QCOMPARE(QString::fromStdString(e.description()), description);
        QCOMPARE(QString::fromStdString(e.source()), QStringLiteral("DDBHelper.GetBitmapPixels"));
        QVERIFY(pixels == kept);
        QCOMPARE(bitsOf(box->Image()), image);

        e = raised([&] { DDBHelper::SetBitmapPixels(*box, int16_t(depth), pixels); });
        QCOMPARE(e.number(), int32_t(0x800403E9));
        QCOMPARE(QString::fromStdString(e.description()), description);
        QCOMPARE(QString::fromStdString(e.source()), QStringLiteral("DDBHelper.GetBitmapPixels"));
        QVERIFY(pixels == kept);
        QCOMPARE(bitsOf(box->Image()), image);
    }

    void readThenWriteKeepsThePicture_data() {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("bitsPerPixel");
        QTest::newRow("8") << 8 << 0;
        QTest::newRow("15") << 15 << 0;
        QTest::newRow("16") << 16 << 0;
        QTest::newRow("24 packed") << 24 << 24;
        QTest::newRow("24 in 32") << 24 << 0;
        QTest::newRow("32") << 32 << 0;
    }
    void readThenWriteKeepsThePicture() {
        QFETCH(int, depth);
        QFETCH(int, bitsPerPixel);
        setDisplay(depth, bitsPerPixel);
        auto box = whiteBox(37, 23); // odd width: padded rows
        box->PaintPicture(ui::StdPicture(chartLikeScene(30, 20)), 3, 2);
        box->setFontName(QStringLiteral("verdana"));
        box->setFontSize(9);
        box->Print(QStringLiteral("6 / 9"));
        box->setPicture(ui::StdPicture(box->Image()));
        const std::vector<uint8_t> before = bitsOf(box->Image());

        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        DDBHelper::SetBitmapPixels(*box, bpp, pixels);
        QCOMPARE(bitsOf(box->Image()), before);
    }

    // ---- palette matching

    void matchColorPaletteTakesTheSystemPalette() {
        setDisplay(8);
        // Another program's colours in the system palette's free entries.
        std::vector<ui::PaletteEntry> theirs;
        for (int i = 0; i < 40; ++i) theirs.push_back(ui::PaletteEntry{uint8_t(i * 3 + 1), uint8_t(i), 77, ui::PC_NOCOLLAPSE});
        ui::LogicalPalette other(theirs);
        QCOMPARE(ui::RealizePalette(ui::DeviceContext{&other}), 40u);
        const auto system = ui::SystemPalette::entries();

        auto box = whiteBox(300, 300);
        box->setPicture(ui::StdPicture(oneBitPicture()));
        QCOMPARE(box->Picture().hPal()->entries().size(), size_t(2));
        DDBHelper::MatchColorPalette(*box);

        const auto& matched = box->Picture().hPal()->entries();
        QCOMPARE(matched.size(), size_t(256));
        for (int i = 0; i < 256; ++i) {
            QCOMPARE(matched[i].peRed, system[i].peRed);
            QCOMPARE(matched[i].peGreen, system[i].peGreen);
            QCOMPARE(matched[i].peBlue, system[i].peBlue);
            QCOMPARE(matched[i].peFlags, uint8_t(i >= 10 && i < 246 ? ui::PC_NOCOLLAPSE : system[i].peFlags));
        }
        QCOMPARE(matched[10].peRed, uint8_t(1)); // the other program's first colour
        QVERIFY(ui::SystemPalette::entries() == system);
        QCOMPARE(box->hDC().palette, box->Picture().hPal());

        // The indexes of the image now read as their colours.
        PixelArray pixels;
        int16_t bpp = 0;
        DDBHelper::GetBitmapPixels(*box, pixels, bpp);
        QCOMPARE(pixels(0, 0), (PixelTriple{255, 255, 255}));
        QCOMPARE(pixels(1, 1), (PixelTriple{0, 0, 0}));
    }

    void aPictureWithoutPaletteCannotBeMatched() {
        setDisplay(8);
        auto box = whiteBox(5, 4);
        Error e = raised([&] { DDBHelper::MatchColorPalette(*box); });
        QCOMPARE(e.number(), int32_t(0x800403EA));
        QCOMPARE(QString::fromStdString(e.description()), QStringLiteral("Error matching bitmap palette"));
        QCOMPARE(QString::fromStdString(e.source()), QStringLiteral("DDBHelper.MatchColorPalette"));

        // Through GetBitmapPixels: the array is already re-dimensioned, the depth 8.
        PixelArray pixels(2, 2);
        pixels(1, 1) = PixelTriple{1, 1, 1};
        int16_t bpp = 0;
        e = raised([&] { DDBHelper::GetBitmapPixels(*box, pixels, bpp); });
        QCOMPARE(e.number(), int32_t(0x800403EA));
        QCOMPARE(bpp, int16_t(8));
        QCOMPARE(pixels.width(), 5);
        QCOMPARE(pixels.height(), 4);
        QCOMPARE(pixels(1, 1), PixelTriple{});
    }

    void pictureTakenFromTheImageHasAPaletteOnlyAtEightBits() {
        setDisplay(8);
        auto box = whiteBox(4, 4);
        const ui::StdPicture at8(box->Image());
        QVERIFY(at8.hPal() != nullptr);
        QCOMPARE(at8.hPal()->entries().size(), size_t(256));
        setDisplay(24);
        const ui::StdPicture at24(box->Image());
        QVERIFY(at24.hPal() == nullptr);
        QCOMPARE(at24.image().pixel(3, 3), qRgb(255, 255, 255));
    }

    // ---- what the screen shows

    void displayedPictureIsTheSameAtEveryDepth() {
        auto render = [](int depth) {
            setDisplay(depth);
            auto box = whiteBox(120, 60);
            box->PaintPicture(ui::StdPicture(chartLikeScene(100, 30)), 10, 5);
            box->setFontName(QStringLiteral("verdana"));
            box->setFontSize(12);
            box->setCurrentX(10);
            box->setCurrentY(36);
            box->Print(QStringLiteral("6 / 12"));
            return box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage reference = render(32);
        QCOMPARE(reference.pixel(0, 0), qRgb(255, 255, 255));
        for (int depth : {8, 15, 16, 24}) {
            const QImage shot = render(depth);
            QCOMPARE(shot.size(), reference.size());
            // 5-bit channels lose at most 7 steps; the 8-bit palette's greys
            // are at most 9 apart.
            QVERIFY2(maxChannelDifference(shot, reference) <= 7, qPrintable(QStringLiteral("depth %1").arg(depth)));
        }
    }

    void theBoxShowsItsImageInsideItsBorder() {
        setDisplay(16);
        PictureBox box;
        box.setScaleMode(ui::ScaleMode::Pixels);
        box.resize(12, 10);
        box.setBackColor(QColor(0, 0, 255));
        box.PSet(0, 0, Qt::white);
        const QImage shot = box.grab().toImage();
        QCOMPARE(shot.pixel(0, 0), qRgb(0, 0, 0));  // the frame
        QCOMPARE(shot.pixel(1, 1), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(2, 1), qRgb(0, 0, 255));
        QCOMPARE(shot.pixel(11, 9), qRgb(0, 0, 0));
    }

    // ---- geometry and the persistent image

    void scaleUnitsAndTheImageSize() {
        PictureBox box; // a single border by default
        box.resize(102, 52);
        QCOMPARE(box.Image().width(), 100);
        QCOMPARE(box.Image().height(), 50);
        QCOMPARE(box.ScaleWidth(), 1500.0); // 15 layout units a pixel at 96 dots per inch
        box.setScaleMode(ui::ScaleMode::Pixels);
        QCOMPARE(box.ScaleWidth(), 100.0);
        QCOMPARE(box.ScaleHeight(), 50.0);

        // A control inside the box is measured in the box's unit.
        QWidget child(&box);
        child.setGeometry(20, 10, 30, 15);
        QCOMPARE(ui::Control(&child).Left(), 20.0);
        box.setScaleMode(ui::ScaleMode::Twips);
        QCOMPARE(ui::Control(&child).Left(), 300.0);

        // Coordinates in layout units reach the same pixels.
        box.setBackColor(Qt::white);
        box.PSet(150, 75, Qt::black);
        QCOMPARE(box.Image().pixel(10, 5), qRgb(0, 0, 0));
    }

    void aHiddenBoxResizesItsImageAndKeepsWhatWasDrawn() {
        auto box = whiteBox(10, 8);
        QVERIFY(!box->isVisible());
        box->PSet(9, 7, Qt::black);
        box->resize(20, 9);
        QCOMPARE(box->Image().width(), 20);
        QCOMPARE(box->Image().height(), 9);
        QCOMPARE(box->Point(9, 7), QColor(Qt::black));
        QCOMPARE(box->Point(19, 8), QColor(Qt::white));
        box->resize(5, 5);
        QCOMPARE(box->Image().width(), 5);
        QCOMPARE(box->Point(4, 4), QColor(Qt::white));
    }

    void anImageFollowsTheDisplaysFormat() {
        setDisplay(16);
        auto box = whiteBox(4, 4);
        box->PSet(1, 1, Qt::red);
        QCOMPARE(box->Image().layout(), PixelLayout::Rgb565);
        setDisplay(8);
        QCOMPARE(box->Image().layout(), PixelLayout::Indexed8);
        QCOMPARE(box->Point(1, 1), QColor(Qt::red));
        QCOMPARE(box->Point(2, 2), QColor(Qt::white));
    }

    void autoSizeFitsTheBoxToItsPicture() {
        auto box = whiteBox(20, 20);
        box->setAutoSize(true);
        box->setPicture(ui::StdPicture(oneBitPicture()));
        QCOMPARE(box->size(), QSize(300, 300));
        QCOMPARE(box->Image().width(), 300);
        QCOMPARE(box->Point(0, 0), QColor(Qt::white));
        QCOMPARE(box->Point(1, 1), QColor(Qt::black));
        QCOMPARE(box->Point(299, 60), QColor(Qt::black));
        QCOMPARE(box->Point(299, 61), QColor(Qt::white));

        PictureBox framed;
        framed.setAutoSize(true);
        framed.setPicture(ui::StdPicture(oneBitPicture()));
        QCOMPARE(framed.size(), QSize(302, 302));

        PictureBox fixed;
        fixed.resize(50, 50);
        fixed.setPicture(ui::StdPicture(oneBitPicture()));
        QCOMPARE(fixed.size(), QSize(50, 50));
    }

    void clsKeepsThePictureAndClearsTheDrawing() {
        auto box = whiteBox(8, 8);
        QImage small(2, 2, QImage::Format_RGB32);
        small.fill(qRgb(0, 128, 0));
        box->setPicture(ui::StdPicture(small));
        box->PSet(5, 5, Qt::black);
        box->setCurrentX(3);
        box->setCurrentY(4);
        box->Cls();
        QCOMPARE(box->Point(5, 5), QColor(Qt::white));
        QCOMPARE(box->Point(1, 1), QColor(0, 128, 0));
        QCOMPARE(box->CurrentX(), 0.0);
        QCOMPARE(box->CurrentY(), 0.0);

        box->setBackColor(QColor(255, 255, 0)); // clears as well
        QCOMPARE(box->Point(7, 7), QColor(255, 255, 0));
        QCOMPARE(box->Point(0, 0), QColor(0, 128, 0));
    }

    // ---- drawing

    void paintPictureCopiesPixelForPixel() {
        auto box = whiteBox(20, 12);
        QImage src(5, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) src.setPixel(x, y, qRgb(x * 50, y * 60, 255 - x * y));
        const ui::StdPicture picture(src);
        box->PaintPicture(picture, 2.5, 3.5, 5.0, 4.0); // halves to even: 2, 4
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) QCOMPARE(box->Image().pixel(2 + x, 4 + y), src.pixel(x, y));
        QCOMPARE(box->Point(1, 4), QColor(Qt::white));
        QCOMPARE(box->Point(7, 4), QColor(Qt::white));

        // Another size repeats pixels, never blends.
        box->Cls();
        box->PaintPicture(picture, 0, 0, 10.0, 8.0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) QCOMPARE(box->Image().pixel(x, y), src.pixel(x / 2, y / 2));

        // Partly outside: clipped.
        box->PaintPicture(picture, 17, -2);
        QCOMPARE(box->Image().pixel(19, 1), src.pixel(2, 3));
    }

    void printWritesALineAtTheTextPosition() {
        auto box = whiteBox(240, 80);
        box->setFontName(QStringLiteral("verdana"));
        box->setFontSize(16);
        QCOMPARE(box->FontName(), QStringLiteral("verdana"));
        QCOMPARE(box->FontSize(), 16.0);
        box->setForeColor(Qt::black);
        box->setCurrentX(50);
        box->setCurrentY(10);
        box->Print(QStringLiteral("6 / 60"));

        QImage probe(1, 1, QImage::Format_RGB32);
        probe.setDotsPerMeterX(3780);
        probe.setDotsPerMeterY(3780);
        const QFontMetricsF metrics(ui::designFont(QStringLiteral("verdana"), 16), &probe);
        QCOMPARE(box->CurrentX(), 0.0);
        QCOMPARE(box->CurrentY(), 10.0 + metrics.height());

        // Dark ink only inside the line's cell, some of it near black.
        const QImage shown = box->Image().toImage();
        int darkest = 255;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const int v = qGray(shown.pixel(x, y));
                if (v == 255) continue;
                QVERIFY2(x >= 49 && y >= 9 && y <= 10 + metrics.height() + 1 &&
                             x <= 50 + metrics.horizontalAdvance(QStringLiteral("6 / 60")) + 1,
                         qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
                darkest = std::min(darkest, v);
            }
        QVERIFY(darkest < 40);

        // A second line goes below the first, from the left edge.
        box->Print(QStringLiteral("6 / 36"));
        QCOMPARE(box->CurrentY(), 10.0 + 2 * metrics.height());
    }

    void aWideLineHasExactEdgesAndRoundEnds() {
        auto box = whiteBox(100, 40);
        box->setDrawWidth(8);
        box->setForeColor(QColor(255, 0, 0));
        box->Line(20, 20, 80, 20);
        const QColor red(255, 0, 0), white(Qt::white);
        for (int y = 16; y <= 23; ++y) QCOMPARE(box->Point(50, y), red);
        QCOMPARE(box->Point(50, 15), white);
        QCOMPARE(box->Point(50, 24), white);
        QCOMPARE(box->Point(17, 20), red); // round ends reach half the width past the points
        QCOMPARE(box->Point(83, 20), red);
        QCOMPARE(box->Point(13, 20), white);
        QCOMPARE(box->Point(87, 20), white);
        QCOMPARE(box->Point(17, 16), white); // the corner of a square end stays white
        // No smoothing: every pixel is red or white.
        const QImage shown = box->Image().toImage();
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x)
                QVERIFY(shown.pixel(x, y) == qRgb(255, 0, 0) || shown.pixel(x, y) == qRgb(255, 255, 255));
    }

    // A box that keeps strokes, drawn by Qt, paints what was drawn again
    // band by band: the same pixels as a box that keeps its image,
    // across the bands' seams, also once its image was asked for.
    void aCanvasDrawnByQtPaintsWhatWasDrawn() {
        auto kept = whiteBox(400, 400);
        auto canvas = whiteBox(400, 400);
        canvas->setKeepsStrokes(true);
        setDrawnByServer(*canvas, true); // not here: Qt draws it
        canvas->Cls();
        const QImage letter = chartLikeScene(60, 70);
        for (PictureBox* box : {kept.get(), canvas.get()}) {
            box->PaintPicture(ui::StdPicture(letter), 30, 130);
            box->setFontName(QStringLiteral("verdana"));
            box->setFontSize(20);
            box->setCurrentX(120);
            box->setCurrentY(150);
            box->Print(QStringLiteral("6 / 60"));
            box->setDrawWidth(5);
            box->setForeColor(QColor(255, 0, 0));
            box->Line(100, 120, 300, 200);
            box->FillBox(350, 300, 380, 390, Qt::black);
        }
        const QImage reference = kept->Image().toImage();
        QCOMPARE(canvas->grab().toImage().convertToFormat(QImage::Format_RGB32), reference);
        QCOMPARE(canvas->Image().toImage(), reference);
        // Drawn on once its image is made: the image is what it shows.
        canvas->PSet(5, 5, Qt::black);
        QCOMPARE(canvas->grab().toImage().pixel(5, 5), qRgb(0, 0, 0));
        canvas->Cls();
        QCOMPARE(canvas->grab().toImage().pixel(60, 160), qRgb(255, 255, 255));
        QCOMPARE(canvas->Point(60, 160), QColor(Qt::white));
    }

    void fillBoxCoversBothCorners() {
        auto box = whiteBox(10, 10);
        box->FillBox(6, 5, 2, 3, Qt::black);
        QCOMPARE(box->Point(2, 3), QColor(Qt::black));
        QCOMPARE(box->Point(6, 5), QColor(Qt::black));
        QCOMPARE(box->Point(7, 5), QColor(Qt::white));
        QCOMPARE(box->Point(2, 2), QColor(Qt::white));
    }

    void pointAndPSetAtTheEdges() {
        setDisplay(16);
        auto box = whiteBox(4, 3);
        QVERIFY(!box->Point(4, 0).isValid());
        QVERIFY(!box->Point(-1, 0).isValid());
        const std::vector<uint8_t> before = bitsOf(box->Image());
        box->PSet(4, 0, Qt::black);
        box->PSet(0, -1, Qt::black);
        QCOMPARE(bitsOf(box->Image()), before);
        // The display keeps the nearest colour it holds.
        box->PSet(3, 2, QColor(100, 150, 200));
        QCOMPARE(box->Point(3, 2), QColor(99, 150, 206));
    }

    // ---- events and stacking

    void keyDownReportsKeyCodesAndModifiers() {
        auto box = whiteBox(10, 10);
        QSignalSpy keys(box.get(), &PictureBox::keyDown);
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QTest::keyClick(box.get(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(box.get(), Qt::Key_Enter);
        QTest::keyClick(box.get(), Qt::Key_Space, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(box.get(), Qt::Key_Left);
        QTest::keyClick(box.get(), Qt::Key_A);
        QTest::keyClick(box.get(), Qt::Key_F5);
        // Shift, Ctrl and Alt report their own presses (16, 17, 18) too.
        const QList<QPair<int, int>> expected = {{27, 0}, {16, 1}, {13, 1}, {13, 0}, {17, 2}, {18, 6},
                                                 {32, 6}, {37, 0}, {65, 0}, {116, 0}};
        QCOMPARE(keys.count(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(keys.at(i).at(0).toInt(), expected[i].first);
            QCOMPARE(keys.at(i).at(1).toInt(), expected[i].second);
        }
        QCOMPARE(box->focusPolicy(), Qt::StrongFocus);
    }

    void doubleClickIsReported() {
        auto box = whiteBox(10, 10);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QSignalSpy clicks(box.get(), &PictureBox::dblClick);
        QTest::mouseDClick(box.get(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseDClick(box.get(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
    }

    void zOrderBringsToFrontAndSendsBack() {
        QWidget parent;
        auto* a = new PictureBox(&parent);
        auto* b = new PictureBox(&parent);
        QCOMPARE(parent.children().last(), b);
        a->ZOrder();
        QCOMPARE(parent.children().last(), a);
        a->ZOrder(1);
        QCOMPARE(parent.children().first(), a);
    }
};

QTEST_MAIN(PictureBoxTest)
#include "picture_box_test.moc"
