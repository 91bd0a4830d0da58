// Repainting on real widgets: a picture box shows its image in bands of
// rows exactly as it would show it whole, and the test window's chart is not
// painted again when the window is activated or deactivated.
#include "GuiTest.h"

#include "acuity/Snellen1.h"
#include "app/SizeTable.h"
#include "app/State.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/PictureBox.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>

#include <memory>
#include <random>

using namespace lumeye;
using ui::PictureBox;

namespace {

// A borderless box whose image holds a different colour in every pixel.
std::unique_ptr<PictureBox> noisyBox(int width, int height, double ratio) {
    auto box = std::make_unique<PictureBox>();
    box->setBorderStyle(PictureBox::BorderStyle::None);
    box->setPixelRatio(ratio);
    box->resize(width, height);
    ui::DeviceBitmap& image = box->Image();
    std::mt19937 random(42);
    for (int64_t i = 0; i < image.byteCount(); ++i) image.bits()[i] = uint8_t(random());
    return box;
}

// A target with one pixel for every pixel of the box's image.
QImage deviceTarget(const QSize& size, double ratio) {
    QImage target((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    target.setDevicePixelRatio(ratio);
    target.fill(Qt::magenta);
    return target;
}

}  // namespace

class FastPaintTest : public testing::GuiTest {
    Q_OBJECT
private slots:
    // The program's own style, whose palette differs between active and
    // inactive windows.
    void initTestCase() { ui::Application::initialise(*qApp); }

    // Large enough for several bands; ratio 2 as on a high-density screen.
    void bandsShowWhatTheWholeImageShows_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("area");
        QTest::newRow("ratio 1, whole box") << 1.0 << QRect(0, 0, 700, 331);
        QTest::newRow("ratio 1, part") << 1.0 << QRect(13, 95, 411, 200);
        QTest::newRow("ratio 2, whole box") << 2.0 << QRect(0, 0, 700, 331);
        QTest::newRow("ratio 2, part") << 2.0 << QRect(13, 95, 411, 200);
    }
    void bandsShowWhatTheWholeImageShows() {
        QFETCH(double, ratio);
        QFETCH(QRect, area);
        auto box = noisyBox(700, 331, ratio);

        QImage banded = deviceTarget(box->size(), ratio);
        box->render(&banded, area.topLeft(), QRegion(area));

        QImage whole = deviceTarget(box->size(), ratio);
        {
            const QRect pixels(area.topLeft() * ratio, area.size() * ratio);
            QImage part = box->Image().toImage(pixels);
            part.setDevicePixelRatio(ratio);
            QPainter p(&whole);
            p.drawImage(QPointF(area.topLeft()), part);
        }
        QCOMPARE(banded, whole);
    }

    // The chart does not change with the window's activation or the canvas's
    // focus, so neither repaints the whole screen when it changes.
    void activationDoesNotRepaintTheChart() {
        testing::useScreen({});
        app::resetState();
        app::ScreenSettings& s = app::screenSettings();
        s.ScreenWidthMM = 320;
        s.ScreenHeightMM = 240;
        s.ScreenSizeKnown = app::kTrue;
        app::BuildSizeTable(app::sizeTable(), 320, 240, true, 1024, 768, "MainForm.BuildSizeTable");

        auto& form = ui::Forms::get<acuity::snellen1>();
        form.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();

        testing::PaintCounter counter;
        form.PicDest->installEventFilter(&counter);
        for (QEvent::Type change : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
            QEvent event(change);
            QCoreApplication::sendEvent(&form, &event);
            QCoreApplication::processEvents();
        }
        for (QEvent::Type change : {QEvent::FocusOut, QEvent::FocusIn}) {
            QFocusEvent event(change, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(form.PicDest, &event);
            QCoreApplication::processEvents();
        }
        QCOMPARE(counter.paints, 0);

        // Whereas a change of the chart itself still shows.
        form.PicDest->FillBox(0, 0, 9, 9, Qt::black);
        QTRY_VERIFY(counter.paints > 0);
    }
};

QTEST_MAIN(FastPaintTest)
#include "fast_paint_test.moc"
