#include "../unit/PrintTestPages.h"

#include "GuiTest.h"

#include "app/MainForm.h"
#include "core/Error.h"
#include "print/Dib.h"
#include "print/Picprint.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace lumeye;
using namespace lumeye::testing;
using print::Picprint;
using print::testing::RecordingPage;
using ui::DialogSeam;
using ui::ShownDialog;

namespace {
const QString kDone = QStringLiteral("Done Printing E-Card");
const QString kNotPrinted = QStringLiteral("The E-Card could not be printed.");

// What the print window did with the printers it was given.
struct PrintLog {
    int printers = 0;
    int released = 0;
    QStringList calls;
    int pointerWhilePrinting = -1;
    std::vector<RecordingPage::Stretch> stretches;
};

// Where the printer fails, or (Unconfirmed) that it cannot tell whether the
// printing system took the document.
enum class Failure { None, AtPrint, AtEndDoc, Unconfirmed };
}  // namespace
Q_DECLARE_METATYPE(Failure)

namespace {

// A printer whose one page is a 4800 x 6600 pixel sheet, failing where told.
class FakePrinter final : public print::Printer {
public:
    FakePrinter(std::shared_ptr<PrintLog> log, Failure failure) : log_(std::move(log)), failure_(failure) {
        ++log_->printers;
    }
    ~FakePrinter() override { ++log_->released; }

    void Print(const QString& text) override {
        log_->calls << QStringLiteral("Print(%1)").arg(text);
        log_->pointerWhilePrinting = ui::Screen::MousePointer();
        if (failure_ == Failure::AtPrint) throw Error(482, "No printer is installed.", "Printer.Print");
    }
    print::PageSurface& hDC() override {
        log_->calls << QStringLiteral("hDC");
        return page_;
    }
    print::Handover EndDoc() override {
        log_->calls << QStringLiteral("EndDoc");
        if (failure_ == Failure::AtEndDoc)
            throw Error(482, "The printer \"Desk\" did not take the document.", "Printer.EndDoc");
        log_->stretches.insert(log_->stretches.end(), page_.stretches.begin(), page_.stretches.end());
        return failure_ == Failure::Unconfirmed ? print::Handover::Unconfirmed : print::Handover::Accepted;
    }

private:
    std::shared_ptr<PrintLog> log_;
    Failure failure_;
    RecordingPage page_{4800, 6600};
};

QStringList messages() {
    QStringList out;
    for (const ShownDialog& d : DialogSeam::shown()) {
        if (d.kind != ShownDialog::Kind::Message) return {QStringLiteral("an input box")};
        out << d.title + QStringLiteral(": ") + d.text;
    }
    return out;
}
}  // namespace

class PicprintTest : public testing::GuiTest {
    Q_OBJECT

private:
    std::shared_ptr<PrintLog> log_;
    QTemporaryDir dir_;

    Picprint& open(Failure failure = Failure::None) {
        Picprint& form = ui::Forms::get<Picprint>();
        form.setPrinterSource([log = log_, failure] { return std::make_unique<FakePrinter>(log, failure); });
        return form;
    }

    void initTest() override {
        QVERIFY(dir_.isValid());
        QDir::setCurrent(dir_.path()); // the menu looks for screen.dat here
        useScreen({.panel = 40});
        log_ = std::make_shared<PrintLog>();
    }

private slots:

    void windowFollowsItsDesign() {
        Picprint& form = open();
        form.Show();
        QCOMPARE(form.windowTitle(), QStringLiteral("Print E-Card"));
        QCOMPARE(form.client()->size(), QSize(555, 440));
        QCOMPARE(form.client()->palette().color(QPalette::Window), QColor(255, 192, 192));
        QCOMPARE(form.font().pointSizeF(), 8.25);
        QVERIFY(form.font().bold());

        QCOMPARE(form.Picture1->geometry(), QRect(24, 32, 302, 302));
        QCOMPARE(form.CmdPrint->geometry(), QRect(384, 128, 137, 57));
        QCOMPARE(form.Command1->geometry(), QRect(400, 240, 113, 49));
        QCOMPARE(form.CmdPrint->text(), QStringLiteral("&Print Card"));
        QCOMPARE(form.Command1->text(), QStringLiteral("E&xit"));
        for (QWidget* button : {static_cast<QWidget*>(form.CmdPrint), static_cast<QWidget*>(form.Command1)}) {
            QCOMPARE(button->font().pointSizeF(), 13.5);
            QVERIFY(button->font().bold());
        }
        QStringList names;
        for (const ui::Control& c : form.Controls()) names << c.Name();
        QCOMPARE(names, QStringList({"Picture1", "CmdPrint", "Command1"}));
        QCOMPARE(form.Picture1->nextInFocusChain(), form.CmdPrint);
        QCOMPARE(form.CmdPrint->nextInFocusChain(), form.Command1);
    }

    void picture1ShowsTheCardAsStored() {
        Picprint& form = open();
        const QImage& card = form.Picture1->Picture().image();
        QCOMPARE(card.size(), QSize(300, 300));
        QCOMPARE(card.format(), QImage::Format_Indexed8);
        QCOMPARE(card.dotsPerMeterX(), 23622);
        // Inside the 1-pixel frame the box shows the picture pixel for pixel.
        const QImage shown = form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.copy(1, 1, 300, 300), card.convertToFormat(QImage::Format_RGB32));
    }

    void centredOnEveryLoad() {
        // 1024 x 768: (15360 - 8325) / 2 layout units = 234.5 pixels, 164 down.
        Picprint& first = open();
        QCOMPARE(first.pos(), QPoint(234, 164));

        // A second request while loaded does not move it.
        first.move(10, 10);
        QCOMPARE(&ui::Forms::get<Picprint>(), &first);
        QCOMPARE(first.pos(), QPoint(10, 10));

        // Exit unloads it; the next window is fresh and centred on the screen of the time.
        first.Show();
        QTest::mouseClick(first.Command1, Qt::LeftButton);
        QVERIFY(!ui::Forms::isLoaded<Picprint>());
        useScreen({.width = 1600, .height = 1200, .panel = 40});
        Picprint& second = open();
        QCOMPARE(second.pos(), QPoint(522, 380));
    }

    void eachClickPrintsOnePageAndSaysSo() {
        Picprint& form = open();
        form.Show();
        QTest::mouseClick(form.CmdPrint, Qt::LeftButton);
        QTest::mouseClick(form.CmdPrint, Qt::LeftButton);

        QCOMPARE(log_->printers, 2);
        QCOMPARE(log_->released, 2);
        const QStringList oneCard = {"Print( )", "hDC", "EndDoc"};
        QCOMPARE(log_->calls, oneCard + oneCard);
        QCOMPARE(messages(), QStringList({"Lumeye HE: " + kDone, "Lumeye HE: " + kDone}));

        QCOMPARE(log_->stretches.size(), size_t(2));
        for (const RecordingPage::Stretch& stretch : log_->stretches) {
            QCOMPARE(stretch.target, QRect(0, 350, 2400, 2400));
            QCOMPARE(stretch.dib.bitCount(), int16_t(4));
            QCOMPARE(print::toImage(stretch.dib).convertToFormat(QImage::Format_RGB32),
                     form.Picture1->Picture().image().convertToFormat(QImage::Format_RGB32));
        }
    }

    // Enter on the focused button presses it, as Space does; Enter elsewhere does not.
    void enterPressesTheFocusedButton() {
        Picprint& form = open();
        form.Show();
        QTest::keyClick(form.Picture1, Qt::Key_Return);
        QTest::keyClick(form.CmdPrint, Qt::Key_Return);
        QTest::keyClick(form.CmdPrint, Qt::Key_Enter);
        QCOMPARE(log_->printers, 2);
        QTest::keyClick(form.Command1, Qt::Key_Return);
        QVERIFY(form.isUnloaded());
    }

    void pointerIsTheHourglassWhilePrintingThenAsBefore_data() {
        QTest::addColumn<int>("before");
        QTest::newRow("default") << int(ui::Screen::PointerDefault);
        QTest::newRow("arrow") << 1;
    }
    void pointerIsTheHourglassWhilePrintingThenAsBefore() {
        QFETCH(int, before);
        Picprint& form = open();
        ui::Screen::setMousePointer(before);
        form.CmdPrint->click();
        QCOMPARE(log_->pointerWhilePrinting, int(ui::Screen::PointerHourglass));
        QCOMPARE(ui::Screen::MousePointer(), before);
    }

    void failureIsReportedNotAnnounced_data() {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("no printer") << Failure::AtPrint << QStringLiteral("No printer is installed.")
                                    << QStringList({"Print( )"});
        QTest::newRow("job refused") << Failure::AtEndDoc
                                     << QStringLiteral("The printer \"Desk\" did not take the document.")
                                     << QStringList({"Print( )", "hDC", "EndDoc"});
    }
    void failureIsReportedNotAnnounced() {
        QFETCH(Failure, failure);
        QFETCH(QString, reason);
        QFETCH(QStringList, calls);
        Picprint& form = open(failure);
        ui::Screen::setMousePointer(1);
        form.CmdPrint->click();
        QCOMPARE(log_->calls, calls);
        QCOMPARE(messages(), QStringList({"Lumeye HE: " + kNotPrinted + "\n" + reason}));
        QCOMPARE(ui::Screen::MousePointer(), 1);
        QCOMPARE(log_->released, 1);
        QVERIFY(log_->stretches.empty());
        // The window stays and can print again.
        QVERIFY(ui::Forms::isLoaded<Picprint>());
    }

    // A card whose acceptance could not be read is not called printed.
    void unconfirmedCardNotAnnouncedAsPrinted() {
        Picprint& form = open(Failure::Unconfirmed);
        form.CmdPrint->click();
        QCOMPARE(log_->calls, QStringList({"Print( )", "hDC", "EndDoc"}));
        QCOMPARE(messages(), QStringList({"Lumeye HE: The E-Card was handed to the printing system; whether it was "
                                          "taken could not be read."}));
    }

    // The real default printer, with no print server to be found (see main).
    void withoutAnyPrinterTheRealPrinterReportsIt() {
        Picprint& form = ui::Forms::get<Picprint>();
        ui::Screen::setMousePointer(1);
        form.CmdPrint->click();
        QCOMPARE(messages(), QStringList({"Lumeye HE: " + kNotPrinted +
                                          "\nNo printer is installed, or the printing service is not running."}));
        QCOMPARE(ui::Screen::MousePointer(), 1);
    }

    void menuShowsOneModelessCardWindow() {
        app::MainForm& menu = ui::Forms::get<app::MainForm>();
        menu.Show();
        QTest::mouseDClick(menu.Option3, Qt::LeftButton);
        Picprint* card = ui::Forms::find<Picprint>();
        QVERIFY(card);
        QVERIFY(card->isVisible());
        QVERIFY(!card->isModal());
        QVERIFY(menu.isVisible());

        card->hide();
        QTest::keyClick(menu.Option3, Qt::Key_Return);
        QCOMPARE(ui::Forms::find<Picprint>(), card);
        QVERIFY(card->isVisible());
        QVERIFY(DialogSeam::shown().isEmpty());
    }
};

int main(int argc, char** argv) {
    // No print server anywhere: whatever this machine has, the program sees no printer.
    qputenv("CUPS_SERVER", "/nonexistent/lumeye-test/cups.sock");
    QApplication app(argc, argv);
    ui::Application::initialise(app);
    PicprintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "picprint_test.moc"
