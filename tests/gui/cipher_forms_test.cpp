#include "GuiTest.h"

#include "app/MainForm.h"
#include "app/ScreenFile.h"
#include "app/State.h"
#include "cipher/About.h"
#include "cipher/CipherEngine.h"
#include "../unit/CipherRoundTrip.h"
#include "cipher/CipherTexts.h"
#include "cipher/StoredTexts.h"
#include "cipher/SysInfo.h"
#include "cipher/cipher.h"
#include "core/Random.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

using namespace lumeye;
using namespace lumeye::testing;
using cipher::About;
using cipher::CipherEngine;
using cipher::cipherTexts;
using cipher::SysInfo;

using namespace lumeye::cipher::testing;

namespace {

const QString kKey = QString::fromLatin1(cipher::kSysInfoKey);


// The release year as the build keeps it, read from the top-level build file.
QString releaseYearOfTheBuild() {
    QFile file(qEnvironmentVariable("LUMEYE_SOURCE_DIR") + QStringLiteral("/CMakeLists.txt"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const auto match = QRegularExpression(QStringLiteral(R"(set\(LUMEYE_RELEASE_YEAR (\d{4})\))"))
                           .match(QString::fromUtf8(file.readAll()));
    return match.captured(1);
}

// Runs check once the modal box is up, then presses its OK button.
void whileShownModally(const std::function<void(About&)>& check) {
    QTimer::singleShot(0, [check] {
        About* box = ui::Forms::find<About>();
        QVERIFY(box);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        check(*box);
        QTest::mouseClick(box->Command1, Qt::LeftButton);
    });
}

}  // namespace

class CipherFormsTest : public testing::GuiTest {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    void setAboutTexts(const QString& t1, const QString& t2, const QString& t3, const QString& t4) {
        cipherTexts().AboutText1 = t1;
        cipherTexts().AboutText2 = t2;
        cipherTexts().AboutText3 = t3;
        cipherTexts().AboutText4 = t4;
    }

    void initTest() override { cipher::resetCipherTexts(); }

private slots:

    void workFormDeciphersTheSharedInput() {
        const QString plain = QStringLiteral("<b>Tom & Jerry</b> \\ caf\u00e9");
        const QString key = QStringLiteral("another key");
        cipherTexts().CipherKey = key;
        cipherTexts().CipherInput = encipher(key, plain);

        for (int run = 0; run < 2; ++run) {
            RandomNext(); // whatever was drawn before does not matter
            cipher::cipher& work = ui::Forms::get<cipher::cipher>();
            QCOMPARE(cipherTexts().CipherOutput, plain);
            QCOMPARE(work.ent->text(), cipherTexts().CipherInput);
            QCOMPARE(work.det->text(), plain);
            QVERIFY(!work.isVisible());
            // The generator is left at the key's state, one draw per deciphered character.
            const float next = RandomNext();
            QCOMPARE(next, valueAfterKeyAndDraws(key, plain.size()));
            work.Unload();
            QVERIFY(!ui::Forms::isLoaded<cipher::cipher>());
        }
    }

    void sysInfoDeciphersTheFourStoredTexts() {
        SysInfo& info = ui::Forms::get<SysInfo>();
        QVERIFY(!info.isVisible());
        QCOMPARE(info.windowTitle(), QStringLiteral("System Information Viewer"));
        QCOMPARE(info.Label1->text(), kKey);
        QCOMPARE(cipherTexts().CipherKey, kKey);
        // The work form came and went for each text.
        QVERIFY(!ui::Forms::isLoaded<cipher::cipher>());

        const QString results[4] = {cipherTexts().AboutText1, cipherTexts().AboutText2, cipherTexts().AboutText3,
                                    cipherTexts().AboutText4};
        for (int k = 0; k < 4; ++k)
            QCOMPARE(results[k], decipher(kKey, QString::fromLatin1(cipher::kStoredAboutTexts[k])));
        QCOMPARE(cipherTexts().CipherOutput, results[3]);
        QVERIFY(results[2].startsWith(QStringLiteral("Copyright ")));
    }

    void theGeneratorAfterStartUpDoesNotDependOnEarlierDraws() {
        float next[2];
        for (int run = 0; run < 2; ++run) {
            RandomResetToStart();
            for (int i = 0; i < run * 25; ++i) RandomNext();
            ui::Forms::get<SysInfo>();
            next[run] = RandomNext();
            ui::Forms::unloadAll();
        }
        QCOMPARE(next[0], next[1]);
        QCOMPARE(next[0], valueAfterKeyAndDraws(kKey, cipherTexts().AboutText4.size()));
    }

    void aboutShowsTheTextsWithTheReleaseYear() {
        const QString year = releaseYearOfTheBuild();
        QCOMPARE(year.size(), 4);
        QCOMPARE(cipher::ReleaseYear(), year.toInt());

        setAboutTexts(QStringLiteral("Name"), QStringLiteral("Purpose"), QStringLiteral("Copyright 1999 Somebody"),
                      QStringLiteral("Version"));
        About& box = ui::Forms::get<About>();
        QCOMPARE(box.windowTitle(), QStringLiteral("Lumeye"));
        QCOMPARE(box.Label1->text(), QStringLiteral("Name"));
        QCOMPARE(box.Label2->text(), QStringLiteral("Purpose"));
        QCOMPARE(box.Label3->text(), QStringLiteral("Copyright ") + year + QStringLiteral(" Somebody"));
        QCOMPARE(box.Label4->text(), QStringLiteral("Version"));
        QCOMPARE(cipherTexts().AboutText3, QStringLiteral("Copyright 1999 Somebody"));

        // A short third text is shown as it is.
        box.Unload();
        cipherTexts().AboutText3 = QStringLiteral("(c) 1999");
        QCOMPARE(ui::Forms::get<About>().Label3->text(), QStringLiteral("(c) 1999"));
    }

    void aboutLayoutAndLogo() {
        About& box = ui::Forms::get<About>();
        box.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.client()->size(), QSize(531, 412)); // 7965 x 6180 at 15 units a pixel
        QCOMPARE(box.client()->palette().color(QPalette::Window), QColor(236, 230, 113));
        QCOMPARE(box.Picture1->geometry(), QRect(192, 160, 141, 125));
        QCOMPARE(box.Picture1->contentsRect(), QRect(2, 2, 137, 121));
        QCOMPARE(box.Picture1->pixmap().size(), QSize(137, 121));
        QCOMPARE(box.Command1->geometry(), QRect(208, 344, 105, 33));
        // The copyright line spans the box between the logo and OK.
        const QRect line = box.Label3->geometry();
        QCOMPARE(line.width(), 531);
        QVERIFY(line.top() >= box.Picture1->geometry().bottom());
        QVERIFY(line.bottom() < box.Command1->geometry().top());
        // The purpose is laid out for two lines.
        box.Label2->setText(decipher(kKey, QString::fromLatin1(cipher::kStoredAboutTexts[1])));
        QVERIFY(box.Label2->heightForWidth(box.Label2->width()) <= box.Label2->height());
    }

    void aboutIsCentredOnTheWholeScreen_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("dpi");
        QTest::newRow("1024 x 768") << 1024 << 768 << 96.0;
        QTest::newRow("1600 x 1200 at 120 dpi") << 1600 << 1200 << 120.0;
        QTest::newRow("640 x 480") << 640 << 480 << 96.0;
    }
    void aboutIsCentredOnTheWholeScreen() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, dpi);
        useScreen({.width = width, .height = height, .dpi = dpi});
        About& box = ui::Forms::get<About>();
        const QRect frame = box.frameGeometry();
        QVERIFY2(qAbs(2 * frame.x() + frame.width() - width) <= 1, qPrintable(QString::number(frame.x())));
        QVERIFY2(qAbs(2 * frame.y() + frame.height() - height) <= 1, qPrintable(QString::number(frame.y())));
    }

    void okComesFirstAndClosesTheModalBox() {
        setAboutTexts(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Copyright 1999"), QStringLiteral("D"));
        bool checked = false;
        whileShownModally([&checked](About& box) {
            QVERIFY(box.isModal());
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box.Command1));
            QTest::keyClick(box.Command1, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box.Picture1));
            QTest::keyClick(box.Picture1, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box.Command1));
            checked = true;
        });
        ui::Forms::get<About>().Show(ui::Form::ShowMode::Modal);
        QVERIFY(checked);
        QVERIFY(!ui::Forms::isLoaded<About>());

        // Enter on the focused OK closes it too, and a new opening shows the same texts.
        QTimer::singleShot(0, [] {
            About* box = ui::Forms::find<About>();
            QVERIFY(box);
            QCOMPARE(box->Label1->text(), QStringLiteral("A"));
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box->Command1));
            QTest::keyClick(box->Command1, Qt::Key_Return);
        });
        ui::Forms::get<About>().Show(ui::Form::ShowMode::Modal);
        QVERIFY(!ui::Forms::isLoaded<About>());

        // Enter on the logo and Escape press OK, as in any dialogue box.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QTimer::singleShot(0, [key] {
                About* box = ui::Forms::find<About>();
                QVERIFY(QTest::qWaitForWindowActive(box));
                box->Picture1->setFocus();
                QTest::keyClick(box->windowHandle(), key);
                if (ui::Forms::isLoaded<About>()) {
                    box->Command1->click();
                    QFAIL("the key left the box open");
                }
            });
            ui::Forms::get<About>().Show(ui::Form::ShowMode::Modal);
            QVERIFY(!ui::Forms::isLoaded<About>());
        }
    }

    void startUpDeciphersWithOrWithoutTheScreenFile_data() {
        QTest::addColumn<bool>("withFile");
        QTest::newRow("no screen.dat") << false;
        QTest::newRow("screen.dat") << true;
    }
    void startUpDeciphersWithOrWithoutTheScreenFile() {
        QFETCH(bool, withFile);
        QVERIFY(dir_.isValid());
        QDir::setCurrent(dir_.path());
        QFile::remove(dir_.filePath(QStringLiteral("screen.dat")));
        if (withFile) app::SaveScreenFile(dir_.path().toStdString() + "/", 303, 227, "MainForm.ScreenSize");

        app::MainForm& menu = ui::Forms::get<app::MainForm>();
        QCOMPARE(app::screenSettings().ScreenSizeKnown, withFile ? app::kTrue : app::kFalse);
        QVERIFY(ui::Forms::isLoaded<SysInfo>());
        QVERIFY(!ui::Forms::find<SysInfo>()->isVisible());
        QCOMPARE(cipherTexts().AboutText1, decipher(kKey, QString::fromLatin1(cipher::kStoredAboutTexts[0])));
        QCOMPARE(cipherTexts().AboutText4, decipher(kKey, QString::fromLatin1(cipher::kStoredAboutTexts[3])));

        // "&About" shows the box modally for the menu, with the deciphered texts.
        menu.Show();
        bool shown = false;
        whileShownModally([&shown, &menu](About& box) {
            QCOMPARE(box.windowModality(), Qt::WindowModal);
            QCOMPARE(box.windowHandle()->transientParent(), menu.windowHandle());
            QCOMPARE(box.Label4->text(), cipherTexts().AboutText4);
            shown = true;
        });
        menu.aboutlumeye->trigger();
        QVERIFY(shown);
        QVERIFY(!ui::Forms::isLoaded<About>());
        QVERIFY(menu.isVisible());
    }
};

QTEST_MAIN(CipherFormsTest)
#include "cipher_forms_test.moc"
