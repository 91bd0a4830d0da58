// The help window on the built help file: default topic, links, back and
// forward, pictures, one window at a time, F1, and files it cannot open.
#include "GuiTest.h"

#include "help/ChmFile.h"
#include "help/HelpBrowser.h"
#include "help/HelpDesk.h"
#include "help/HelpViewer.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

using namespace lumeye;
using namespace lumeye::help;
using ui::DialogSeam;

namespace {
const QString kHelpFile = QStringLiteral(LUMEYE_HELP_FILE);

QUrl page(const char* path) { return HelpBrowser::urlOf(path); }

QList<HelpViewer*> openViewers() {
    QList<HelpViewer*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<HelpViewer*>(w); v && v->isVisible()) found << v;
    return found;
}

// Where the link to `href` is drawn in the browser's viewport, scrolled into view.
std::optional<QPoint> linkPosition(HelpBrowser* browser, const QString& href) {
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href) continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            return browser->cursorRect(cursor).center();
        }
    }
    return std::nullopt;
}

void clickLink(HelpBrowser* browser, const QString& href) {
    const auto at = linkPosition(browser, href);
    QVERIFY2(at, qPrintable(QStringLiteral("no link to ") + href));
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, *at);
}

// Closes every help window and lets Qt delete them.
void closeViewers() {
    for (HelpViewer* v : openViewers()) v->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

class HelpViewerTest : public testing::GuiTest {
    Q_OBJECT

    void cleanupTest() override { closeViewers(); }

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kHelpFile), qPrintable(kHelpFile)); }

    void opensAtTheContentsPage() {
        HelpDesk desk;
        desk.open(kHelpFile);
        HelpViewer* viewer = desk.viewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->browser()->source(), page("/contents.htm"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Lumeye HE Help - Contents"));
        QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Quick start")));
        QVERIFY(!viewer->Back->isEnabled());
        QVERIFY(!viewer->Forward->isEnabled());
        QVERIFY(DialogSeam::shown().isEmpty());
    }

    void followsLinksBackAndForward() {
        HelpDesk desk;
        desk.open(kHelpFile);
        HelpViewer* viewer = desk.viewer();
        HelpBrowser* browser = viewer->browser();

        clickLink(browser, QStringLiteral("setting-up.htm"));
        QCOMPARE(browser->source(), page("/setting-up.htm"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Lumeye HE Help - Setting up the room"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("3 metres")));
        QVERIFY(viewer->Back->isEnabled());

        // A link to a place further down another page.
        clickLink(browser, QStringLiteral("taking-test.htm"));
        clickLink(browser, QStringLiteral("chart.htm"));
        clickLink(browser, QStringLiteral("screen-size.htm#minimum"));
        QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/screen-size.htm#minimum")));
        QVERIFY(browser->verticalScrollBar()->value() > 0);

        viewer->Back->trigger();
        QCOMPARE(browser->source(), page("/chart.htm"));
        viewer->Back->trigger();
        viewer->Back->trigger();
        QCOMPARE(browser->source(), page("/setting-up.htm"));
        QVERIFY(viewer->Forward->isEnabled());
        viewer->Forward->trigger();
        QCOMPARE(browser->source(), page("/taking-test.htm"));
        viewer->Contents->trigger();
        QCOMPARE(browser->source(), page("/contents.htm"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Lumeye HE Help - Contents"));
    }

    void showsThePicturesOfAPage() {
        HelpDesk desk;
        desk.open(kHelpFile);
        HelpViewer* viewer = desk.viewer();
        viewer->resize(900, 1000);
        clickLink(viewer->browser(), QStringLiteral("screen-size.htm"));
        viewer->browser()->verticalScrollBar()->setValue(0);

        // The picture's screen colour, taken from the picture stored in the file.
        const auto file = ChmFile::open(kHelpFile.toStdString());
        const auto png = file->read("/pictures/measure.png");
        QVERIFY(png);
        const QImage picture = QImage::fromData(QByteArray::fromStdString(*png));
        QCOMPARE(picture.size(), QSize(480, 330));
        const QRgb screen = picture.pixel(100, 220);

        const QImage shown = viewer->browser()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int matching = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) matching += (shown.pixel(x, y) & 0xFFFFFF) == (screen & 0xFFFFFF);
        // Most of the light blue picture area (380 x 220 pixels, less its labels) is on screen.
        QVERIFY2(matching > 60000, qPrintable(QString::number(matching)));
    }

    void oneWindowBroughtToTheFrontAgain() {
        HelpDesk desk;
        desk.open(kHelpFile);
        HelpViewer* first = desk.viewer();
        clickLink(first->browser(), QStringLiteral("e-card.htm"));
        first->showMinimized();

        desk.open(kHelpFile);
        QCOMPARE(desk.viewer(), first);
        QCOMPARE(openViewers().size(), 1);
        QVERIFY(!(first->windowState() & Qt::WindowMinimized));
        // The reader keeps the page they were on.
        QCOMPARE(first->browser()->source(), page("/e-card.htm"));

        // Once closed, the next request opens a fresh window at its topic,
        // its history starting there; Contents still leads to the contents.
        QVERIFY(QTest::qWaitForWindowActive(first));
        QTest::keyClick(first, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!desk.viewer());
        QVERIFY(openViewers().isEmpty());
        desk.open(kHelpFile, QStringLiteral("taking-test.htm"));
        HelpViewer* fresh = desk.viewer();
        QVERIFY(fresh);
        QCOMPARE(fresh->browser()->source(), page("/taking-test.htm"));
        QVERIFY(!fresh->Back->isEnabled());
        fresh->Contents->trigger();
        QCOMPARE(fresh->browser()->source(), page("/contents.htm"));
        fresh->Back->trigger();
        QCOMPARE(fresh->browser()->source(), page("/taking-test.htm"));
    }

    void aFileThatCannotBeOpenedIsReported_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QFile real(kHelpFile);
        QVERIFY(real.open(QIODevice::ReadOnly));
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("not a help file") << QByteArray("<html>hello</html>") << true;
        QTest::newRow("cut short") << real.read(4096) << true;
    }
    void aFileThatCannotBeOpenedIsReported() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LumeyeHE Help file.chm"));
        if (exists) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        HelpDesk desk;
        desk.open(path);
        QVERIFY(!desk.viewer());
        QVERIFY(openViewers().isEmpty());
        QCOMPARE(DialogSeam::shown().size(), 1);
        const ui::ShownDialog& shown = DialogSeam::shown().first();
        QCOMPARE(shown.kind, ui::ShownDialog::Kind::Message);
        QCOMPARE(shown.title, QStringLiteral("Lumeye HE"));
        QCOMPARE(shown.text, QStringLiteral("The help file \"%1\" could not be opened.").arg(path));

        // The program goes on: the next request with a good file opens help.
        desk.open(kHelpFile);
        QVERIFY(desk.viewer());
        QCOMPARE(DialogSeam::shown().size(), 1);
    }

    void f1InAnyWindowOpensTheRegisteredFile() {
        ui::Application::initialise(*qApp);
        installHelpViewer();
        ui::Application::setHelpFile(kHelpFile);

        QLineEdit other;
        other.show();
        other.setFocus();
        QTest::keyClick(&other, Qt::Key_F1);
        QCOMPARE(openViewers().size(), 1);
        HelpViewer* viewer = openViewers().first();
        QCOMPARE(viewer->browser()->source(), page("/contents.htm"));
        QVERIFY(other.text().isEmpty());

        // F1 again, in the help window itself or sent as the menu's Help does.
        QTest::keyClick(viewer->browser(), Qt::Key_F1);
        other.activateWindow();
        other.setFocus();
        ui::Application::SendKey(Qt::Key_F1);
        QCoreApplication::processEvents();
        QCOMPARE(openViewers(), QList<HelpViewer*>{viewer});

        // A help file that is not there: the message, and no window.
        closeViewers();
        ui::Application::setHelpFile(QStringLiteral("/nowhere/LumeyeHE Help file.chm"));
        QTest::keyClick(&other, Qt::Key_F1);
        QVERIFY(openViewers().isEmpty());
        QCOMPARE(DialogSeam::shown().size(), 1);
        QVERIFY(DialogSeam::shown().first().text.contains(QStringLiteral("/nowhere/LumeyeHE Help file.chm")));
    }
};

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
