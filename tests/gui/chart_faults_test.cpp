// The test window under faults: displays it cannot draw on, storms of input
// while charts are drawn, and screens from the smallest to the largest with
// screen sizes from 190 mm to 20 metres.
#include "GuiTest.h"

#include "acuity/ChartLayout.h"
#include "acuity/Directions.h"
#include "acuity/Snellen1.h"
#include "app/MainForm.h"
#include "app/SizeTable.h"
#include "app/State.h"
#include "app/WaitForm.h"
#include "core/Random.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Screen.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace lumeye;
using namespace lumeye::testing;
using acuity::snellen1;
using ui::DialogSeam;

namespace {

QStringList messages() {
    QStringList out;
    for (const ui::ShownDialog& d : DialogSeam::shown()) out << d.title + QStringLiteral(": ") + d.text;
    return out;
}

// What the application delivers while a storm blows. Input that reaches the
// canvas while a chart is being drawn must be dealt with at once: if its
// handler processed events itself, it ran a pass inside the running one. And
// an unloaded window must never draw again.
struct Watch {
    // Held as a QObject: while the window is being destroyed it is no
    // longer a snellen1, and the events of its destruction pass here too.
    QPointer<QObject> form;
    int inputDuringPasses = 0;
    int eventsInsideThatInput = 0;
    int drawingWhileUnloaded = 0;
    bool insideInput = false;
};
Watch watch;

class WatchingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        auto* form = qobject_cast<snellen1*>(watch.form.data());
        if (!form) return QApplication::notify(receiver, event);
        if (form->isUnloaded() && form->drawing()) ++watch.drawingWhileUnloaded;
        const bool input = event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonDblClick;
        // Timers fire and posted input arrives only where events are processed.
        if (watch.insideInput && (event->type() == QEvent::Timer || (input && receiver == form->PicDest)))
            ++watch.eventsInsideThatInput;
        if (!input || receiver != form->PicDest || !form->drawing() || watch.insideInput)
            return QApplication::notify(receiver, event);
        ++watch.inputDuringPasses;
        watch.insideInput = true;
        const bool done = QApplication::notify(receiver, event);
        watch.insideInput = false;
        return done;
    }
};

// Posts random input at the canvas each time the loading or drawing window
// processes events, until `total` events are out; Escape among them once
// `calm` events are out (never, when calm is total).
class Storm : public QObject {
public:
    Storm(quint32 seed, int total, int calm) : random_(seed), left_(total), escapeFrom_(total - calm) {
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, [this] { blow(); });
        timer_.start();
    }
    bool over() const { return left_ == 0; }
    int escapes() const { return escapes_; }

private:
    void blow() {
        snellen1* form = ui::Forms::find<snellen1>();
        if (!form || !form->drawing() || left_ == 0) return;
        for (int n = random_.bounded(1, 6); n > 0 && left_ > 0; --n, --left_) post(form->PicDest);
    }
    void post(QWidget* canvas) {
        const int kind = random_.bounded(left_ <= escapeFrom_ ? 100 : 97);
        if (kind < 30) return key(canvas, Qt::Key_Return, kind % 2 ? Qt::ShiftModifier : Qt::NoModifier);
        if (kind < 60) return key(canvas, Qt::Key_Space, kind % 3 ? Qt::NoModifier : Qt::ControlModifier);
        if (kind < 90) {
            const QPointF at(random_.bounded(canvas->width() + 1), random_.bounded(canvas->height() + 1));
            QCoreApplication::postEvent(canvas, new QMouseEvent(QEvent::MouseButtonDblClick, at,
                                                                canvas->mapToGlobal(at), Qt::LeftButton,
                                                                Qt::LeftButton, Qt::NoModifier));
            return;
        }
        if (kind < 97) return key(canvas, kind % 2 ? Qt::Key_A : Qt::Key_Left, Qt::NoModifier);
        ++escapes_;
        key(canvas, Qt::Key_Escape, Qt::NoModifier);
    }
    static void key(QWidget* canvas, int key, Qt::KeyboardModifiers modifiers) {
        QCoreApplication::postEvent(canvas, new QKeyEvent(QEvent::KeyPress, key, modifiers));
        QCoreApplication::postEvent(canvas, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
    }

    QRandomGenerator random_;
    QTimer timer_;
    int left_;
    int escapes_ = 0;
    int escapeFrom_; // events still to post when Escape may come
};

// Lets everything posted so far be handled, the window's deletion included.
void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Letters in a chart of `rows` rows: 1 + 2 + ... + rows.
int lettersIn(int rows) { return rows * (rows + 1) / 2; }

// Puts the generator where it is after `passes` whole charts from a seed.
void afterPasses(float seed, int passes, int rows = 8) {
    RandomRestart(seed);
    for (int p = 0; p < passes; ++p) {
        int16_t previous = 0;
        for (int i = 0; i < lettersIn(rows); ++i) previous = acuity::DrawDirection(previous, RandomNext);
    }
}

// How many whole charts from the seed drew everything drawn up to the value
// `next`; 0 when no whole number of charts did.
int wholeChartsBefore(float seed, float next, int rows = 8) {
    for (int passes = 1; passes <= 500; ++passes) {
        afterPasses(seed, passes, rows);
        if (RandomNext() == next) return passes;
    }
    return 0;
}

}  // namespace

class ChartFaultsTest : public testing::GuiTest {
    Q_OBJECT

    void initTest() override {
        useScreen({});
        knownScreen(320, 240);
        watch = Watch{};
    }
    void cleanupTest() override { watch = Watch{}; }

private slots:

    // A display the chart cannot be drawn on: the menu says why, takes the
    // wait form away and goes on, and the test starts once the display is fit.
    void aTestThatCannotBePreparedIsToldAndTheMenuGoesOn_data() {
        QTest::addColumn<int>("depth");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("reason");
        QTest::newRow("4-bit display") << 4 << 96.0 << 1024 << "Invalid number of bits per pixel: 4";
        QTest::newRow("1-bit display") << 1 << 96.0 << 1024 << "Invalid number of bits per pixel: 1";
        QTest::newRow("no whole layout unit per pixel") << 24 << 3000.0 << 1024 << "Division by zero";
        QTest::newRow("40000 pixels wide") << 24 << 96.0 << 40000 << "Overflow";
    }
    void aTestThatCannotBePreparedIsToldAndTheMenuGoesOn() {
        QFETCH(int, depth);
        QFETCH(double, dpi);
        QFETCH(int, width);
        QFETCH(QString, reason);
        auto& menu = ui::Forms::get<app::MainForm>();
        knownScreen(320, 240);
        menu.Show();
        useScreen({.width = width, .depth = depth, .dpi = dpi});
        QTest::mouseDClick(menu.Option4, Qt::LeftButton);
        QCOMPARE(messages(), QStringList{"Lumeye HE: The sight test could not be started.\n" + reason});
        QVERIFY(menu.isVisible());
        QVERIFY(!ui::Forms::isLoaded<app::message>());
        QVERIFY(!ui::Forms::isLoaded<snellen1>());

        useScreen({});
        DialogSeam::clear();
        QTest::keyClick(menu.Option4, Qt::Key_Return);
        QVERIFY(messages().isEmpty());
        QVERIFY(ui::Forms::isLoaded<snellen1>());
        QVERIFY(ui::Forms::find<snellen1>()->isVisible());
        QVERIFY(!menu.isVisible());
    }

    // The display changes under a chart to one it cannot be drawn on: the
    // next redraw says why and ends the test, and the menu is back.
    void aChartThatCannotBeRedrawnIsToldAndTheMenuComesBack() {
        auto& menu = ui::Forms::get<app::MainForm>();
        knownScreen(320, 240);
        menu.Show();
        QTest::mouseDClick(menu.Option4, Qt::LeftButton);
        snellen1* form = ui::Forms::find<snellen1>();
        QVERIFY(form && form->isVisible());
        QPointer<snellen1> window(form);
        useScreen({.depth = 4});
        QTest::keyClick(form->PicDest, Qt::Key_Space);
        QCOMPARE(messages(), QStringList{"Lumeye HE: The chart could not be drawn.\n"
                                         "Invalid number of bits per pixel: 4"});
        QVERIFY(!ui::Forms::isLoaded<snellen1>());
        QVERIFY(menu.isVisible());
        settle();
        QVERIFY(window.isNull());
    }

    // Hundreds of Enter, Space, double-clicks and other keys posted while
    // charts are drawn: never a pass inside a pass, and the canvas ends with
    // one whole chart, the one a quiet redraw from the same point draws.
    void aStormDuringDrawingEndsInOneWholeChart_data() {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("storm 1") << 1u;
        QTest::newRow("storm 2") << 2u;
        QTest::newRow("storm 3") << 3u;
    }
    void aStormDuringDrawingEndsInOneWholeChart() {
        QFETCH(quint32, seed);
        snellen1& form = ui::Forms::get<snellen1>();
        form.Show();
        watch.form = &form;
        const float start = -float(seed) - 0.5f;
        RandomRestart(start);
        {
            Storm storm(seed, 400, 400);
            while (!storm.over()) QTest::keyClick(form.PicDest, Qt::Key_Return);
        }
        settle();
        QVERIFY(!form.drawing());
        QVERIFY2(watch.inputDuringPasses >= 300, qPrintable(QString::number(watch.inputDuringPasses)));
        QCOMPARE(watch.eventsInsideThatInput, 0);
        const QImage afterStorm = form.PicDest->Image().toImage();

        const int charts = wholeChartsBefore(start, RandomNext());
        QVERIFY2(charts > 0, "the storm left a chart drawn in part");
        qInfo("%d inputs arrived while %d charts were drawn", watch.inputDuringPasses, charts);
        afterPasses(start, charts - 1);
        QTest::keyClick(form.PicDest, Qt::Key_Space);
        QVERIFY(form.PicDest->Image().toImage() == afterStorm);
    }

    // The same from the menu, Escape mixed in, the storm starting while the
    // window loads: it closes once, after the pass that saw Escape, the menu
    // comes back, and the closed window draws nothing more.
    void aStormWithEscapeEndsAtTheMenu_data() {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("storm 4") << 4u;
        QTest::newRow("storm 5") << 5u;
        QTest::newRow("storm 6") << 6u;
    }
    void aStormWithEscapeEndsAtTheMenu() {
        QFETCH(quint32, seed);
        auto& menu = ui::Forms::get<app::MainForm>();
        knownScreen(320, 240);
        menu.Show();
        Storm storm(seed, 400, 250);
        int unloads = 0;
        float drawnAtUnload = 0;
        QTimer::singleShot(0, [&] {
            snellen1* loading = ui::Forms::find<snellen1>();
            watch.form = loading;
            QVERIFY(loading && loading->drawing());
            connect(loading, &ui::Form::unloaded, [&] {
                ++unloads;
                drawnAtUnload = RandomNext();
            });
        });
        RandomRestart(-float(seed));
        QTest::keyClick(menu.Option4, Qt::Key_Space);
        for (int rounds = 0; rounds < 50 && ui::Forms::isLoaded<snellen1>(); ++rounds) {
            QVERIFY(!menu.isVisible());
            QTest::keyClick(ui::Forms::find<snellen1>()->PicDest, Qt::Key_Return);
            settle();
        }
        settle();
        QVERIFY2(storm.escapes() > 0, "the storm never sent Escape");
        QVERIFY2(watch.inputDuringPasses >= 200, qPrintable(QString::number(watch.inputDuringPasses)));
        QCOMPARE(unloads, 1);
        QVERIFY(watch.form.isNull());
        QVERIFY(!ui::Forms::isLoaded<snellen1>());
        QVERIFY(menu.isVisible());
        QVERIFY(!ui::Forms::isLoaded<app::message>());
        QCOMPARE(watch.eventsInsideThatInput, 0);
        QCOMPARE(watch.drawingWhileUnloaded, 0);
        qInfo("%d inputs arrived during the load and the charts, %d of them Escape", watch.inputDuringPasses,
              storm.escapes());
        // Nothing was drawn from the generator after the window closed.
        const float next = RandomNext();
        RandomRestart(-float(seed));
        int drawn = 0;
        while (RandomNext() != drawnAtUnload && drawn < 100000) ++drawn;
        QCOMPARE(RandomNext(), next);
    }

    // Screens from 640 x 480 to 7680 x 4320, fractional layout units per
    // pixel, screen sizes from 190 mm to 20 m: the chart is drawn at load and
    // again on Enter without a fault, letters from less than a pixel to more
    // than a thousand.
    void everyScreenDrawsItsChart_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<QSize>("millimetres");
        const QSize screens[] = {{640, 480}, {1920, 1080}, {7680, 4320}};
        const QSize sizes[] = {{190, 190}, {20000, 20000}, {190, 20000}, {20000, 190}};
        for (const QSize& s : screens)
            for (const QSize& mm : sizes)
                QTest::addRow("%dx%d, %dx%d mm", s.width(), s.height(), mm.width(), mm.height())
                    << s << 96.0 << mm;
        QTest::newRow("1440/168 units per pixel") << QSize(1366, 768) << 168.0 << QSize(303, 227);
        QTest::newRow("1440/192 units per pixel") << QSize(2560, 1440) << 192.0 << QSize(597, 336);
        QTest::newRow("1440/110 units per pixel") << QSize(1280, 1024) << 110.0 << QSize(376, 301);
        QTest::newRow("3840x2160, 7 rows") << QSize(3840, 2160) << 96.0 << QSize(360, 210);
        QTest::newRow("800x600, 6 rows") << QSize(800, 600) << 96.0 << QSize(250, 190);
    }
    void everyScreenDrawsItsChart() {
        QFETCH(QSize, pixels);
        QFETCH(double, dpi);
        QFETCH(QSize, millimetres);
        useScreen({.width = pixels.width(), .height = pixels.height(), .dpi = dpi});
        knownScreen(int16_t(millimetres.width()), int16_t(millimetres.height()));
        snellen1& form = ui::Forms::get<snellen1>();
        form.Show();
        const int16_t rows = acuity::LineCountFor(int16_t(millimetres.height()));
        QCOMPARE(form.chartState().LineCount, rows);
        // Layout units per pixel are rounded: 1440 / 168 counts as 9.
        const double unitsPerPixel = std::round(1440 / dpi);
        QCOMPARE(double(app::displayMetrics().UnitsPerPixelX), unitsPerPixel);
        QCOMPARE(double(app::displayMetrics().ScreenPixelsX),
                 std::round(pixels.width() * (1440 / dpi) / unitsPerPixel));
        const app::SizeTable& table = app::sizeTable();
        for (int row = 1; row <= rows; ++row) {
            const double size = form.chartState().LineSizes[row];
            smallestLetter_ = std::min({smallestLetter_, table.PixelsPerMMX * size, table.PixelsPerMMY * size});
            largestLetter_ = std::max({largestLetter_, table.PixelsPerMMX * size, table.PixelsPerMMY * size});
        }

        const QImage chart = form.PicDest->Image().toImage();
        int dark = 0, red = 0;
        for (int y = 0; y < chart.height(); y += 2)
            for (int x = 0; x < chart.width(); x += 2) {
                const QRgb c = chart.pixel(x, y);
                dark += qGray(c) < 100;
                red += c == qRgb(255, 0, 0);
            }
        QVERIFY(dark > 0);
        const double rowOneHeight = table.PixelsPerMMY * form.chartState().LineSizes[1];
        const double redY =
            acuity::FirstRowTop(int16_t(millimetres.height()), table.PixelsPerMMY, "snellen1.DrawChart");
        if (redY + 5 * rowOneHeight < chart.height()) QVERIFY(red > 0);

        // A redraw runs to its end: exactly one whole chart is drawn.
        RandomRestart(-1);
        QTest::keyClick(form.PicDest, Qt::Key_Return);
        QVERIFY(!form.drawing());
        QVERIFY(!form.isUnloaded());
        QCOMPARE(wholeChartsBefore(-1, RandomNext(), rows), 1);
    }

    // Between them the screens above show letters from under a pixel to
    // over a thousand pixels.
    void theScreensSpanLettersFromUnderAPixelToOverAThousand() {
        QVERIFY2(smallestLetter_ < 1, qPrintable(QString::number(smallestLetter_)));
        QVERIFY2(largestLetter_ > 1000, qPrintable(QString::number(largestLetter_)));
    }

private:
    double smallestLetter_ = 1e9;
    double largestLetter_ = 0;
};

int main(int argc, char** argv) {
    WatchingApplication app(argc, argv);
    ui::Application::initialise(app);
    ChartFaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "chart_faults_test.moc"
