// High-density screens: a picture box that draws at the device's own
// resolution, and the chart drawn on a screen with two device pixels per
// screen pixel, compared with the same chart on a normal screen.
#include "GuiTest.h"

#include "acuity/Snellen1.h"
#include "app/SizeTable.h"
#include "app/State.h"
#include "core/Random.h"
#include "ui/Dialogs.h"
#include "ui/PictureBox.h"
#include "ui/Screen.h"

#include <QtTest>

using namespace lumeye;
using namespace lumeye::testing;
using acuity::snellen1;

namespace {

// Top and bottom row of the dark pixels in a column band of an image.
std::pair<int, int> darkRows(const QImage& image, int fromX, int toX, int fromY, int toY) {
    int top = -1, bottom = -1;
    for (int y = fromY; y < toY; ++y)
        for (int x = fromX; x < toX; ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
    return {top, bottom};
}

// The first chart of a freshly loaded test window, from a fixed generator state.
QImage firstChart() {
    RandomRestart(-5.0f);
    auto& form = ui::Forms::get<snellen1>();
    form.Show();
    const QImage chart = form.PicDest->Image().toImage();
    ui::Forms::unloadAll();
    return chart;
}

}  // namespace

class HighDensityTest : public testing::GuiTest {
    Q_OBJECT

    void initTest() override { useScreen({}); }

private slots:

    void boxCountsDevicePixels() {
        ui::PictureBox box;
        box.setBorderStyle(ui::PictureBox::BorderStyle::None);
        box.resize(100, 50);
        box.setPixelRatio(2.0);
        box.setBackColor(Qt::white);
        QCOMPARE(box.Image().width(), 200);
        QCOMPARE(box.Image().height(), 100);
        box.setScaleMode(ui::ScaleMode::Pixels);
        QCOMPARE(box.ScaleWidth(), 200.0);
        QCOMPARE(box.ScaleHeight(), 100.0);
        // Layout units stay physical: 100 screen pixels are 1500 units at 96 dpi.
        box.setScaleMode(ui::ScaleMode::Twips);
        QCOMPARE(box.ScaleWidth(), 1500.0);
        box.FillBox(750, 0, 1500, 1500, Qt::black);
        // From 750 units on: device pixel 100.
        QCOMPARE(box.Image().pixel(99, 10), qRgb(255, 255, 255));
        QCOMPARE(box.Image().pixel(100, 10), qRgb(0, 0, 0));
    }

    void innerSizeIsExactInDevicePixels() {
        ui::PictureBox box;
        box.setPixelRatio(2.0);
        // An odd number of device pixels: half screen pixels, which the box
        // cannot be, so it takes the next whole size and keeps the exact one.
        box.setInnerPixels(279, 141);
        QCOMPARE(box.size(), QSize(140 + 2, 71 + 2));  // with the 1-pixel frame
        QCOMPARE(box.Image().width(), 279);
        QCOMPARE(box.Image().height(), 141);
        box.setScaleMode(ui::ScaleMode::Pixels);
        QCOMPARE(box.ScaleWidth(), 279.0);
        // Sized otherwise, it follows its new size again.
        box.resize(52, 32);
        QCOMPARE(box.Image().width(), 100);
        QCOMPARE(box.Image().height(), 60);
        // At ratio 1 the exact size is the box's own.
        ui::PictureBox plain;
        plain.setInnerPixels(279, 141);
        QCOMPARE(plain.size(), QSize(281, 143));
        QCOMPARE(plain.Image().width(), 279);
    }

    void imageIsShownOneToOneOnTheDevice() {
        ui::PictureBox box;
        box.setBorderStyle(ui::PictureBox::BorderStyle::FixedSingle);
        box.setPixelRatio(2.0);
        box.setInnerPixels(40, 30);
        box.setScaleMode(ui::ScaleMode::Pixels);
        // A one-device-pixel checkerboard: lost if the image were scaled at all.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) box.PSet(x, y, (x + y) % 2 ? Qt::black : Qt::white);
        QImage device(box.size() * 2, QImage::Format_RGB32);
        device.setDevicePixelRatio(2.0);
        device.fill(Qt::red);
        box.render(&device);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                QCOMPARE(device.pixel(2 + x, 2 + y), (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        // The frame is one screen pixel: two device pixels on every side.
        for (int d : {0, 1}) {
            QCOMPARE(device.pixel(d, 10), qRgb(0, 0, 0));
            QCOMPARE(device.pixel(10, d), qRgb(0, 0, 0));
            QCOMPARE(device.pixel(device.width() - 1 - d, 10), qRgb(0, 0, 0));
            QCOMPARE(device.pixel(10, device.height() - 1 - d), qRgb(0, 0, 0));
        }
    }

    void textKeepsItsPointSize() {
        auto printed = [](double ratio) {
            ui::PictureBox box;
            box.setBorderStyle(ui::PictureBox::BorderStyle::None);
            box.setBackColor(Qt::white);
            box.setPixelRatio(ratio);
            box.resize(200, 60);
            box.setScaleMode(ui::ScaleMode::Pixels);
            box.setFontName(QStringLiteral("verdana"));
            box.setFontSize(16);
            box.setCurrentX(0);
            box.setCurrentY(0);
            box.Print(QStringLiteral("6 / 60"));
            const QImage image = box.Image().toImage();
            const auto [top, bottom] = darkRows(image, 0, image.width(), 0, image.height());
            return std::pair<double, int>{box.CurrentY(), bottom - top + 1};
        };
        const auto [lineNormal, inkNormal] = printed(1.0);
        const auto [lineDense, inkDense] = printed(2.0);
        QVERIFY(inkNormal >= 14 && inkNormal <= 18);
        // The same points in twice the pixels, to within the rounding of a glyph.
        QVERIFY2(std::abs(inkDense - 2 * inkNormal) <= 2, qPrintable(QStringLiteral("%1 vs %2").arg(inkDense).arg(inkNormal)));
        QVERIFY(std::abs(lineDense - 2 * lineNormal) <= 2);
    }

    void chartIsTheNormalScreensChartInDevicePixels() {
        // A 320 x 240 mm screen of 2048 x 1536 pixels, once as it is and once
        // as 1024 x 768 screen pixels of two device pixels each.
        useScreen({.width = 2048, .height = 1536});
        knownScreen(320, 240, 2048, 1536);
        const QImage normal = firstChart();

        useScreen({.devicePixelRatio = 2.0});
        knownScreen(320, 240, 1024, 768);
        RandomRestart(-5.0f);
        auto& form = ui::Forms::get<snellen1>();
        form.Show();
        QCOMPARE(form.PicDest->geometry(), QRect(0, 0, 1024, 768));
        QCOMPARE(app::sizeTable().PixelsPerMMX, 6.4);
        QCOMPARE(app::sizeTable().PixelsPerMMY, 6.4);
        QCOMPARE(form.chartState().FullWidth, int16_t{2048});
        const QImage dense = form.PicDest->Image().toImage();
        QCOMPARE(dense.size(), QSize(2048, 1536));

        // Right of the labels every pixel agrees: the same letters, reduced to
        // the same device pixels, at the same places, and the same red line.
        const QRect chart(200, 0, 1848, 1536);
        QCOMPARE(dense.copy(chart), normal.copy(chart));
        int black = 0;
        for (int y = 0; y < 1536; y += 2)
            for (int x = 200; x < 2048; x += 2) black += dense.pixel(x, y) == qRgb(0, 0, 0);
        QVERIFY(black > 10000);

        // The labels keep 16 points: twice as many pixels as on the normal screen.
        const auto [normalTop, normalBottom] = darkRows(normal, 50, 200, 0, 400);
        const auto [denseTop, denseBottom] = darkRows(dense, 50, 200, 0, 400);
        QVERIFY(normalTop > 0 && denseTop > 0);
        const int normalHeight = normalBottom - normalTop + 1, denseHeight = denseBottom - denseTop + 1;
        QVERIFY2(std::abs(denseHeight - 2 * normalHeight) <= 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(denseHeight).arg(normalHeight)));
    }

    // A window whose scale changes once it is shown draws its next chart at
    // the new one, measured again: the chart a window loaded at 2 draws.
    void aChartFollowsTheWindowsNewScale() {
        useScreen({.devicePixelRatio = 2.0});
        knownScreen(320, 240, 1024, 768);
        const QImage dense = firstChart();

        useScreen({});
        knownScreen(320, 240, 1024, 768);
        auto& form = ui::Forms::get<snellen1>();
        form.Show();
        QCOMPARE(form.chartState().FullWidth, int16_t{1024});
        useScreen({.devicePixelRatio = 2.0});
        RandomRestart(-5.0f);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        QEvent changed(QEvent::DevicePixelRatioChange);
        QCoreApplication::sendEvent(&form, &changed);
#else
        // Qt tells of it as a change of screen: the next chart is the same path.
        QTest::keyClick(form.PicDest, Qt::Key_Return);
#endif
        QTRY_COMPARE(form.chartState().FullWidth, int16_t{2048});
        QTRY_VERIFY(!form.drawing());
        QCOMPARE(app::sizeTable().PixelsPerMMX, 6.4);
        QCOMPARE(form.PicDest->Image().toImage(), dense);
    }
};

QTEST_MAIN(HighDensityTest)
#include "high_density_test.moc"
