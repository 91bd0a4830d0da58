#include "GuiTest.h"

#include "app/MainForm.h"
#include "app/ScreenFile.h"
#include "app/State.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace lumeye;
using namespace lumeye::app;
using ui::DialogSeam;
using ui::ShownDialog;

namespace {
const QString kWidthPrompt = QStringLiteral("Enter the HORIZONTAL dimension of your display screen in millimetres");
const QString kHeightPrompt = QStringLiteral("Enter the VERTICAL dimension of your display screen in millimetres");
const QString kMinimumMessage = QStringLiteral("Screen size should be a minimum of 190 millimetres in any direction");
const QString kBeforeTesting =
    QStringLiteral("Before testing, please enter your computer screen dimensions in millimetres");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The kinds and texts of the dialogs shown so far, compactly.
QStringList shownSequence() {
    QStringList out;
    for (const ShownDialog& d : DialogSeam::shown())
        out << (d.kind == ShownDialog::Kind::Input ? QStringLiteral("ask:") : QStringLiteral("say:")) + d.text;
    return out;
}
}  // namespace

class MainFormTest : public testing::GuiTest {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    // The program starts with its menu on screen; a hidden menu starts nothing.
    MainForm& start() {
        MainForm& menu = ui::Forms::get<MainForm>();
        menu.Show();
        return menu;
    }
    QString file() const { return dir_.filePath(QStringLiteral("screen.dat")); }
    void answer(std::initializer_list<const char*> answers) {
        for (const char* a : answers) DialogSeam::queueAnswer(QString::fromUtf8(a));
    }

    void initTest() override {
        QVERIFY(dir_.isValid());
        QDir::setCurrent(dir_.path());
        QFile::remove(file());
    }
    void cleanupTest() override { QCOMPARE(DialogSeam::unansweredInputs(), 0); }

private slots:

    void startsWithoutFileSilently() {
        MainForm& menu = start();
        QCOMPARE(menu.windowTitle(), QStringLiteral("Lumeye - Home Edition 2.2"));
        QCOMPARE(screenSettings().ScreenSizeKnown, kFalse);
        QCOMPARE(QString::fromStdString(screenSettings().DataPath), dir_.path() + "/");
        QVERIFY(DialogSeam::shown().isEmpty());
        QCOMPARE(ui::Application::helpFile(), ui::Application::Path() + "/LumeyeHE Help file.chm");
    }

    void clientAreaAndControlsAsDesigned() {
        MainForm& menu = start();
        menu.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QCOMPARE(menu.client()->size(), QSize(690, 542));  // 96 dots per inch offscreen
        QCOMPARE(menu.Frame1->geometry(), QRect(72, 129, 548, 304));
        QCOMPARE(menu.Option2->geometry(), QRect(51, 75, 361, 20));
        QCOMPARE(menu.Label3->text(), QStringLiteral("Exit"));
        QStringList names;
        for (const ui::Control& c : menu.Controls()) names << c.Name();
        for (const char* name : {"Frame1", "Option2", "Option3", "Option4", "Label1", "Label2", "Label3", "ExitBN",
                                 "HelpBtn", "aboutlumeye"})
            QVERIFY2(names.contains(QString::fromLatin1(name)), name);
    }

    void readsTheFileAtStartup() {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(ScreenFileContent(303, 227)));
        f.close();
        start();
        QCOMPARE(screenSettings().ScreenSizeKnown, kTrue);
        QCOMPARE(screenSettings().ScreenWidthMM, int16_t(303));
        QCOMPARE(screenSettings().ScreenHeightMM, int16_t(227));
        QVERIFY(qAbs(sizeTable().LetterSizes[1] - 43.6336) < 0.0001);
    }

    void unusableFilesLeaveTheSizeUnknown_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("two numbers only") << QByteArray("303\r\n227\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("zero width") << QByteArray("0,\"\r\"\r\n227,\"\r\"\r\n");
        QTest::newRow("too large") << QByteArray("70000,\"\r\"\r\n227,\"\r\"\r\n");
        QTest::newRow("binary") << QByteArray::fromHex("00ff10ab2c22");
    }
    void unusableFilesLeaveTheSizeUnknown() {
        QFETCH(QByteArray, content);
        QFile f(dir_.filePath(QStringLiteral("Screen.dat")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        start();
        QCOMPARE(screenSettings().ScreenSizeKnown, kFalse);
        QVERIFY(DialogSeam::shown().isEmpty());
        f.remove();
    }

    void enteringDimensionsWritesTheFile() {
        MainForm& menu = start();
        answer({"303", "227"});
        QTest::keyClick(menu.Option2, Qt::Key_Return);
        QCOMPARE(shownSequence(), QStringList({"ask:" + kWidthPrompt, "ask:" + kHeightPrompt}));
        const ShownDialog& first = DialogSeam::shown().first();
        QCOMPARE(first.title, QStringLiteral("Lumeye"));
        QCOMPARE(first.defaultText, QStringLiteral(" 303"));
        QCOMPARE(DialogSeam::shown().at(1).defaultText, QStringLiteral(" 227"));
        QCOMPARE(first.positionTwips, std::optional<QPointF>(QPointF(5250, 1900)));
        QCOMPARE(readAll(file()), QByteArray("303,\"\r\"\r\n227,\"\r\"\r\n"));
        QCOMPARE(screenSettings().ScreenSizeKnown, kTrue);
        QVERIFY(qAbs(sizeTable().LetterSizes[8] - 3.6405) < 0.0001);
    }

    void aFolderNameThatIsNotUtf8() {
        const std::string folder = QFile::encodeName(dir_.path()).toStdString() + "/bytes-\xff\xfe";
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "/screen.dat", std::ios::binary) << ScreenFileContent(303, 227);
        QCOMPARE(::chdir(folder.c_str()), 0);
        MainForm& menu = start();
        QCOMPARE(screenSettings().ScreenSizeKnown, kTrue);
        answer({"520", "293"});
        QTest::keyClick(menu.Option2, Qt::Key_Return);
        std::ifstream in(folder + "/screen.dat", std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), ScreenFileContent(520, 293));
        std::filesystem::remove_all(folder);
    }

    void tooSmallAsksBothAgain() {
        MainForm& menu = start();
        answer({"150", "250", "-300", "200", "189.5", "200"});
        QTest::mouseDClick(menu.Option2, Qt::LeftButton);
        QCOMPARE(shownSequence(), QStringList({"ask:" + kWidthPrompt, "ask:" + kHeightPrompt, "say:" + kMinimumMessage,
                                               "ask:" + kWidthPrompt, "ask:" + kHeightPrompt, "say:" + kMinimumMessage,
                                               "ask:" + kWidthPrompt, "ask:" + kHeightPrompt}));
        QCOMPARE(DialogSeam::shown().at(2).title, QStringLiteral("Lumeye HE"));
        QCOMPARE(screenSettings().ScreenWidthMM, int16_t(190));
        QCOMPARE(screenSettings().ScreenHeightMM, int16_t(200));
        QCOMPARE(readAll(file()), QByteArray("190,\"\r\"\r\n200,\"\r\"\r\n"));
    }

    void cancelOrZeroChangesNothing_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("asked");
        QTest::newRow("cancel first") << QStringList{""} << 1;
        QTest::newRow("cancel second") << QStringList{"250", ""} << 2;
        QTest::newRow("text first") << QStringList{"wide"} << 1;
        QTest::newRow("zero second") << QStringList{"250", "0"} << 2;
        QTest::newRow("beyond 16 bits") << QStringList{"99999"} << 1;
        QTest::newRow("beyond 16 bits second") << QStringList{"300", "-40000"} << 2;
        QTest::newRow("188.5 rounds down then cancel") << QStringList{"188.5", "200", ""} << 3;
    }
    void cancelOrZeroChangesNothing() {
        QFETCH(QStringList, answers);
        QFETCH(int, asked);
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(ScreenFileContent(520, 293)));
        f.close();
        MainForm& menu = start();
        const auto table = sizeTable().LetterSizes;
        for (const QString& a : answers) DialogSeam::queueAnswer(a);
        QTest::mouseDClick(menu.Option2, Qt::LeftButton);
        int inputs = 0;
        for (const ShownDialog& d : DialogSeam::shown()) inputs += d.kind == ShownDialog::Kind::Input;
        QCOMPARE(inputs, asked);
        QCOMPARE(screenSettings().ScreenWidthMM, int16_t(520));
        QCOMPARE(screenSettings().ScreenHeightMM, int16_t(293));
        QCOMPARE(screenSettings().ScreenSizeKnown, kTrue);
        QCOMPARE(readAll(file()), QByteArray("520,\"\r\"\r\n293,\"\r\"\r\n"));
        QVERIFY(sizeTable().LetterSizes == table);
    }

    void widthsAboveSixteenBitProductsAreAccepted() {
        MainForm& menu = start();
        answer({"7000", "4000"});
        QTest::keyClick(menu.Option2, Qt::Key_Space);
        QCOMPARE(screenSettings().ScreenWidthMM, int16_t(7000));
        QVERIFY(sizeTable().LetterSizes[1] > 0);
    }

    void aFailedSaveIsToldAndTheValuesServeThisRun() {
        QDir(dir_.path()).mkdir(QStringLiteral("screen.dat"));
        MainForm& menu = start();
        answer({"303", "227"});
        QTest::keyClick(menu.Option2, Qt::Key_D);
        QDir(dir_.path()).rmdir(QStringLiteral("screen.dat"));
        QCOMPARE(DialogSeam::shown().size(), 3);
        const ShownDialog& message = DialogSeam::shown().last();
        QCOMPARE(message.kind, ShownDialog::Kind::Message);
        QCOMPARE(message.title, QStringLiteral("Lumeye HE"));
        QVERIFY2(message.text.contains(dir_.path() + "/screen.dat"), qPrintable(message.text));
        QCOMPARE(screenSettings().ScreenSizeKnown, kTrue);
        QCOMPARE(screenSettings().ScreenWidthMM, int16_t(303));
    }

    void singleClickStartsNothing() {
        MainForm& menu = start();
        for (ui::OptionButton* option : {menu.Option2, menu.Option3, menu.Option4})
            QTest::mouseClick(option, Qt::LeftButton);
        QVERIFY(menu.Option4->isChecked());
        QVERIFY(DialogSeam::shown().isEmpty());
    }

    void testRefusesWithoutDimensions() {
        MainForm& menu = start();
        QTest::mouseDClick(menu.Option4, Qt::LeftButton);
        QTest::keyClick(menu.Option4, Qt::Key_Return);
        QTest::keyClick(menu.Option4, Qt::Key_7);
        QCOMPARE(shownSequence(), QStringList({"say:" + kBeforeTesting, "say:" + kBeforeTesting, "say:" + kBeforeTesting}));
        QCOMPARE(DialogSeam::shown().first().title, QStringLiteral("Lumeye HE"));
    }

    void nonCharacterKeysDoNothing() {
        MainForm& menu = start();
        QTest::keyClick(menu.Option4, Qt::Key_Shift);
        QTest::keyClick(menu.Option4, Qt::Key_F5);
        QVERIFY(DialogSeam::shown().isEmpty());
    }

    // Last: it ends the program's event loop.
    void closingTheWindowEndsTheProgram() {
        MainForm& menu = start();
        menu.Show();
        QTimer::singleShot(0, &menu, [&] { menu.close(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::Application::initialise(app);
    MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_form_test.moc"
