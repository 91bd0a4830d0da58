// Faults met through the menu's windows: screen.dat that cannot be saved, a
// damaged help file, a printer that fails in the middle of a job. Each is
// told in a message box, loses nothing, and the program goes on.
#include "GuiTest.h"
#include "../unit/FileFaults.h"
#include "../unit/PrintTestPages.h"

#include "acuity/Snellen1.h"
#include "app/MainForm.h"
#include "app/ScreenFile.h"
#include "app/SizeTable.h"
#include "app/State.h"
#include "cipher/About.h"
#include "core/Error.h"
#include "help/ChmFile.h"
#include "help/HelpBrowser.h"
#include "help/HelpDesk.h"
#include "help/HelpViewer.h"
#include "print/Picprint.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <new>

using namespace lumeye;
using namespace lumeye::testing;
using faults::FileCall;
using ui::DialogSeam;

namespace {
const QString kHelpFile = QStringLiteral(LUMEYE_HELP_FILE);

QStringList shown() {
    QStringList out;
    for (const ui::ShownDialog& d : DialogSeam::shown())
        out << (d.kind == ui::ShownDialog::Kind::Input ? QStringLiteral("ask: ") : d.title + QStringLiteral(": ")) +
                   d.text;
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<help::HelpViewer*> openViewers() {
    QList<help::HelpViewer*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<help::HelpViewer*>(w); v && v->isVisible()) found << v;
    return found;
}

void closeViewers() {
    for (help::HelpViewer* v : openViewers()) v->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

enum class PrintFailure { None, AtPage, WhileDrawing, OutOfMemory };

// A printer whose job breaks off in the middle: when the page is asked for,
// or while the card is being drawn on it.
class FailingPrinter final : public print::Printer {
public:
    explicit FailingPrinter(PrintFailure failure) : failure_(failure) {}
    void Print(const QString&) override { pointerWhilePrinting = ui::Screen::MousePointer(); }
    print::PageSurface& hDC() override {
        if (failure_ == PrintFailure::AtPage)
            throw Error(482, "The printer \"Desk\" lost its page.", "Printer.hDC");
        return page_;
    }
    print::Handover EndDoc() override { return print::Handover::Accepted; }
    static inline int pointerWhilePrinting = -1;

private:
    class Page final : public print::testing::RecordingPage {
    public:
        explicit Page(PrintFailure failure) : RecordingPage(4800, 6600), failure_(failure) {}
        void StretchDIBits(const QRect& target, const print::Dib4& dib) override {
            if (failure_ == PrintFailure::WhileDrawing)
                throw Error(482, "The printer \"Desk\" went off line.", "Printer.StretchDIBits");
            if (failure_ == PrintFailure::OutOfMemory) throw std::bad_alloc();
            RecordingPage::StretchDIBits(target, dib);
        }

    private:
        PrintFailure failure_;
    };
    PrintFailure failure_;
    Page page_{failure_};
};
}  // namespace
Q_DECLARE_METATYPE(FileCall)
Q_DECLARE_METATYPE(PrintFailure)

class ShellFaultsTest : public testing::GuiTest {
    Q_OBJECT

    QTemporaryDir dir_;

    QString file() const { return dir_.filePath(QStringLiteral("screen.dat")); }

    void initTest() override {
        QVERIFY(dir_.isValid());
        QDir::setCurrent(dir_.path()); // the menu reads and writes screen.dat here
        useScreen({.panel = 40});
    }
    void cleanupTest() override {
        faults::clearFaults();
        closeViewers();
        ui::Forms::unloadAll();
        QFile::remove(file());
    }

private slots:

    // The disk refuses the new dimensions: the message says which file and
    // why, the old file stays byte for byte, the new values serve this run
    // (the test opens with them) and the next start reads the old ones.
    void screenDimensionsThatCannotBeSaved_data() {
        QTest::addColumn<FileCall>("call");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("pathPart");
        QTest::newRow("disk full") << FileCall::Write << ENOSPC << ".screen.dat.";
        QTest::newRow("write error") << FileCall::Write << EIO << ".screen.dat.";
        QTest::newRow("not flushed") << FileCall::Fsync << EIO << ".screen.dat.";
        QTest::newRow("read-only file system") << FileCall::Rename << EROFS << "/screen.dat";
    }
    void screenDimensionsThatCannotBeSaved() {
        QFETCH(FileCall, call);
        QFETCH(int, error);
        QFETCH(QString, pathPart);
        const std::string old = app::ScreenFileContent(303, 227);
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old.data(), qint64(old.size()));
        f.close();
        auto& menu = ui::Forms::get<app::MainForm>();
        menu.Show();
        QCOMPARE(app::screenSettings().ScreenWidthMM, int16_t(303));

        faults::injectFault(call, error, pathPart.toStdString());
        DialogSeam::queueAnswer(QStringLiteral("520"));
        DialogSeam::queueAnswer(QStringLiteral("293"));
        QTest::keyClick(menu.Option2, Qt::Key_Return);
        QVERIFY(faults::faultsHit() > 0);
        faults::clearFaults();
        const QStringList messages = shown().mid(2);
        QCOMPARE(messages, QStringList{QStringLiteral("Lumeye HE: Could not save %1: %2\n"
                                                      "The screen dimensions will be used until the program ends.")
                                           .arg(file(), QString::fromLocal8Bit(std::strerror(error)))});
        QCOMPARE(readAll(file()), QByteArray::fromStdString(old));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"screen.dat"});

        QCOMPARE(app::screenSettings().ScreenWidthMM, int16_t(520));
        QCOMPARE(app::screenSettings().ScreenSizeKnown, app::kTrue);
        app::SizeTable expected;
        app::BuildSizeTable(expected, 520, 293, true, ui::Screen::FullScreenClientWidth(),
                            ui::Screen::FullScreenClientHeight(), "MainForm.BuildSizeTable");
        QCOMPARE(app::sizeTable().LetterSizes, expected.LetterSizes);
        DialogSeam::clear();
        QTest::mouseDClick(menu.Option4, Qt::LeftButton);
        QVERIFY(shown().isEmpty());
        QVERIFY(ui::Forms::isLoaded<acuity::snellen1>());
        QCOMPARE(app::sizeTable().PixelsPerMMX, 1024.0 / 520);

        ui::Forms::unloadAll();
        app::resetState();
        ui::Forms::get<app::MainForm>();
        QCOMPARE(app::screenSettings().ScreenWidthMM, int16_t(303));
        QCOMPARE(app::screenSettings().ScreenHeightMM, int16_t(227));
    }

    // Help files cut short or with a run of bytes overwritten, at positions
    // spread over the whole file: F1 either says the file cannot be opened
    // or shows what can be read, every page included; it never crashes, and
    // the intact file opens afterwards.
    void damagedHelpFiles() {
        const QByteArray good = readAll(kHelpFile);
        QVERIFY(good.size() > 4096);
        QList<QByteArray> damaged;
        for (qsizetype length : {qsizetype(0), qsizetype(1), qsizetype(100), good.size() / 4, good.size() / 2,
                                 good.size() - 1})
            damaged << good.left(length);
        for (int i = 0; i < 64; ++i) {
            QByteArray copy = good;
            const qsizetype at = copy.size() * i / 64;
            for (qsizetype j = at; j < std::min(at + 24, copy.size()); ++j) copy[j] = char(i % 2 ? 0xFF : j * 37);
            damaged << copy;
        }
        const QString path = dir_.filePath(QStringLiteral("LumeyeHE Help file.chm"));
        int refused = 0, shownAnyway = 0;
        for (const QByteArray& bytes : damaged) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
            f.close();
            DialogSeam::clear();
            help::HelpDesk desk;
            desk.open(path);
            if (!desk.viewer()) {
                ++refused;
                QCOMPARE(shown(), QStringList{QStringLiteral("Lumeye HE: The help file \"%1\" could not be opened.")
                                                  .arg(path)});
                continue;
            }
            ++shownAnyway;
            QVERIFY(shown().isEmpty());
            const auto file = help::ChmFile::open(path.toStdString());
            QVERIFY(file);
            for (const std::string& page : file->pages()) {
                desk.viewer()->browser()->setSource(help::HelpBrowser::urlOf(page));
                QCoreApplication::processEvents();
            }
            closeViewers();
        }
        qInfo("%d damaged help files: %d refused with the message, %d shown as far as they can be read",
              int(damaged.size()), refused, shownAnyway);
        QVERIFY(refused >= 6);  // at least those cut short
        DialogSeam::clear();
        help::HelpDesk desk;
        desk.open(kHelpFile);
        QVERIFY(desk.viewer());
        QVERIFY(shown().isEmpty());
    }

    // The printer fails once the job is under way: the message says so and
    // why, the pointer is what it was, and the next card prints.
    void printerFailingMidJob_data() {
        QTest::addColumn<PrintFailure>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("page lost") << PrintFailure::AtPage << "The printer \"Desk\" lost its page.";
        QTest::newRow("off line while drawing") << PrintFailure::WhileDrawing << "The printer \"Desk\" went off line.";
        QTest::newRow("out of memory") << PrintFailure::OutOfMemory << "std::bad_alloc";
    }
    void printerFailingMidJob() {
        QFETCH(PrintFailure, failure);
        QFETCH(QString, reason);
        auto& card = ui::Forms::get<print::Picprint>();
        card.setPrinterSource([failure] { return std::make_unique<FailingPrinter>(failure); });
        card.Show();
        ui::Screen::setMousePointer(1);
        card.CmdPrint->click();
        QCOMPARE(FailingPrinter::pointerWhilePrinting, int(ui::Screen::PointerHourglass));
        QCOMPARE(ui::Screen::MousePointer(), 1);
        QCOMPARE(shown(), QStringList{"Lumeye HE: The E-Card could not be printed.\n" + reason});

        DialogSeam::clear();
        card.setPrinterSource([] { return std::make_unique<FailingPrinter>(PrintFailure::None); });
        card.CmdPrint->click();
        QCOMPARE(shown(), QStringList{"Lumeye HE: Done Printing E-Card"});
        QVERIFY(card.isVisible());
    }

    // Help over every modal window: closed over the box, by Escape in help
    // or its own close, opened again and left open while the box is answered
    // (so that the next box opens with help active), or opened from the menu
    // before the first box. Each box is shown for the form that asks; help
    // is never blocked; closing help leaves the box answering.
    void helpOverEveryModalWindow_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QStringList>("answers"); // typed into the questions in turn; empty: Cancel
        QTest::addColumn<bool>("helpFirst");
        QTest::addColumn<bool>("byEscape");
        QTest::addColumn<int>("boxes");
        const QStringList none;
        QTest::newRow("both questions") << "dimensions" << QStringList{"303", "227"} << false << true << 2;
        QTest::newRow("both questions, help first") << "dimensions" << QStringList{"310", "230"} << true << false << 2;
        QTest::newRow("too small, then Cancel") << "dimensions" << QStringList{"100", "100", ""} << false << true << 4;
        QTest::newRow("cannot be saved") << "unsaved" << QStringList{"303", "227"} << true << true << 3;
        QTest::newRow("no dimensions yet") << "test" << none << false << false << 1;
        QTest::newRow("About") << "about" << none << true << true << 1;
        QTest::newRow("About, help from it") << "about" << none << false << false << 1;
        QTest::newRow("card printed") << "print" << none << true << false << 1;
        QTest::newRow("card not printed") << "print error" << none << false << true << 1;
    }
    void helpOverEveryModalWindow() {
        QFETCH(QString, opener);
        QFETCH(QStringList, answers);
        QFETCH(bool, helpFirst);
        QFETCH(bool, byEscape);
        QFETCH(int, boxes);
        DialogSeam::disable();
        auto& menu = ui::Forms::get<app::MainForm>(); // with the program's help desk
        ui::Application::setHelpFile(kHelpFile);
        menu.Show();
        QWidget* asker = &menu;
        if (opener.startsWith(QStringLiteral("print"))) {
            auto& card = ui::Forms::get<print::Picprint>();
            const auto failure = opener == QStringLiteral("print") ? PrintFailure::None : PrintFailure::AtPage;
            card.setPrinterSource([failure] { return std::make_unique<FailingPrinter>(failure); });
            card.Show();
            asker = &card;
        }
        if (helpFirst) {
            menu.HelpBtn->trigger();
            QTRY_COMPARE(openViewers().size(), 1);
        }

        QStringList faults;
        auto expect = [&faults](bool ok, const QString& what) { if (!ok) faults << what; };
        // Keys go to the window the reader clicked into.
        auto activate = [&expect](QWidget* window) {
            window->activateWindow();
            expect(QTest::qWaitForWindowActive(window), window->windowTitle() + QStringLiteral(" cannot be made active"));
        };
        auto closeHelp = [&](QWidget* box) {
            QPointer<help::HelpViewer> viewer = openViewers().value(0);
            if (byEscape) {
                activate(viewer);
                QTest::keyClick(viewer->windowHandle(), Qt::Key_Escape);
            }
            else viewer->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            expect(!viewer, QStringLiteral("help still open"));
            expect(box->isVisible(), QStringLiteral("the box went with help"));
        };
        QPointer<QWidget> handled;
        int seen = 0;
        QTimer walker;
        connect(&walker, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || box == handled) return;
            handled = box;
            ++seen;
            expect(box->windowHandle()->transientParent() == asker->windowHandle(),
                   QStringLiteral("box %1 not shown for the form that asks").arg(seen));
            if (!openViewers().isEmpty()) closeHelp(box);
            for (int round = 0; round < 2; ++round) {
                QTest::keyClick(box->windowHandle(), Qt::Key_F1);
                expect(openViewers().size() == 1, QStringLiteral("no help from box %1").arg(seen));
                if (round == 0 && !openViewers().isEmpty()) closeHelp(box);
            }
            activate(box);
            if (auto* question = qobject_cast<QInputDialog*>(box)) {
                const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
                question->setTextValue(answer);
                answer.isEmpty() ? question->reject() : question->accept();
            } else if (qobject_cast<QMessageBox*>(box)) {
                QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            } else {
                QTest::keyClick(box->windowHandle(), Qt::Key_Escape); // the About box
            }
        });
        walker.start(20);
        if (opener == QStringLiteral("unsaved")) app::screenSettings().DataPath = dir_.filePath("missing/").toStdString();
        if (opener == QStringLiteral("dimensions") || opener == QStringLiteral("unsaved"))
            QTest::keyClick(menu.Option2, Qt::Key_Return);
        else if (opener == QStringLiteral("test"))
            QTest::keyClick(menu.Option4, Qt::Key_Return);
        else if (opener == QStringLiteral("about"))
            menu.aboutlumeye->trigger();
        else
            ui::Forms::find<print::Picprint>()->CmdPrint->click();
        walker.stop();

        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QCOMPARE(seen, boxes);
        QVERIFY(!ui::Forms::isLoaded<cipher::About>());
        QVERIFY(menu.isVisible());
        if (opener == QStringLiteral("dimensions") && boxes == 2)
            QCOMPARE(readAll(file()), QStringLiteral("%1,\"\r\"\r\n%2,\"\r\"\r\n")
                                          .arg(app::screenSettings().ScreenWidthMM)
                                          .arg(app::screenSettings().ScreenHeightMM).toLatin1());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::Application::initialise(app);
    ShellFaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "shell_faults_test.moc"
