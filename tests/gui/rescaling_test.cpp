// ResizeControls over real widgets, and the wait form that uses it.
#include "GuiTest.h"

#include "app/Module1.h"
#include "app/State.h"
#include "app/WaitForm.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace lumeye;
using namespace lumeye::testing;

namespace {

// A form with one control of every kind the rescaling meets.
class SampleForm : public ui::Form {
public:
    SampleForm() {
        menu = addMenuEntry(QStringLiteral("mnuFile"), QStringLiteral("&File"));
        label = addControl(new ui::Label(QStringLiteral("text"), client()), QStringLiteral("label"));
        label->setGeometry(10, 20, 100, 30);
        label->setFont(QFont(QStringLiteral("Liberation Sans"), 12));
        frame = addControl(new ui::Frame(QStringLiteral("frame"), client()), QStringLiteral("frame"));
        frame->setGeometry(200, 40, 300, 200);
        button = addControl(new QPushButton(QStringLiteral("in frame"), frame), QStringLiteral("button"));
        button->setGeometry(20, 30, 80, 24);
        combo = addControl(new QComboBox(client()), QStringLiteral("combo"));
        combo->setGeometry(40, 300, 120, 22);
        setClientSizeTwips(600 * 15, 400 * 15);
        move(30, 50);
    }
    QAction* menu;
    ui::Label* label;
    ui::Frame* frame;
    QPushButton* button;
    QComboBox* combo;
};

}  // namespace

// Screens at 96 dots per inch: 15 layout units per pixel.
class RescalingTest : public testing::GuiTest {
    Q_OBJECT
private slots:

    void doubleWidthScreenDoublesLeftAndWidthOnly() {
        useScreen({.width = 1600, .height = 600});
        const app::ScaleFactors f = app::MeasureScreen("test");
        QCOMPARE(f.x, 2.0f);
        QCOMPARE(f.y, 1.0f);

        SampleForm form;
        const QRect formBefore = form.frameGeometry();
        app::ResizeControls(f.x, f.y, form);  // the menu entry must not stop it

        QCOMPARE(form.label->geometry(), QRect(20, 20, 200, 30));
        QCOMPARE(form.frame->geometry(), QRect(400, 40, 600, 200));
        // Relative to its container, in the container's unit.
        QCOMPARE(form.button->geometry(), QRect(40, 30, 160, 24));
        QCOMPARE(form.label->font().pointSizeF(), 18.0);  // by the mean factor, 1.5
        QCOMPARE(form.frameGeometry(),
                 QRect(formBefore.x() * 2, formBefore.y(), formBefore.width() * 2, formBefore.height()));
    }

    void comboBoxKeepsItsHeight() {
        SampleForm form;
        app::displayMetrics().ResizeForm = app::kTrue;
        app::ResizeControls(2.0f, 3.0f, form);
        QCOMPARE(form.combo->geometry(), QRect(80, 900, 240, 22));
        QCOMPARE(form.label->geometry(), QRect(20, 60, 200, 90));
    }

    void formStaysWhenResizeFormIsFalse() {
        SampleForm form;
        app::displayMetrics().ResizeForm = app::kFalse;
        const QRect before = form.frameGeometry();
        app::ResizeControls(2.0f, 1.0f, form);
        QCOMPARE(form.frameGeometry(), before);
        QCOMPARE(form.label->geometry(), QRect(20, 20, 200, 30));
    }

    void designScreenChangesNothing() {
        useScreen({.width = 800, .height = 600});
        const app::ScaleFactors f = app::MeasureScreen("test");
        SampleForm form;
        const QRect label = form.label->geometry();
        const QRect combo = form.combo->geometry();
        const QRect outer = form.frameGeometry();
        app::ResizeControls(f.x, f.y, form);
        QCOMPARE(form.label->geometry(), label);
        QCOMPARE(form.combo->geometry(), combo);
        QCOMPARE(form.frameGeometry(), outer);
        QCOMPARE(form.label->font().pointSizeF(), 12.0);
    }

    void waitFormCoversA1024By768Screen() {
        useScreen({});
        auto& wait = ui::Forms::get<app::message>();
        QCOMPARE(wait.windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(wait.Label1->text(), QStringLiteral("Please Wait ..."));
        QCOMPARE(wait.Label1->palette().color(QPalette::WindowText), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(wait.client()->palette().color(QPalette::Window), QColor(0x80, 0xFF, 0x80));
        // 4440, 4425; 4695 x 975 layout units times 1.28, in whole pixels.
        QCOMPARE(wait.Label1->geometry(), QRect(379, 378, 401, 83));
        QCOMPARE(wait.Label1->font().pointSizeF(), 24.0 * double(1.28f));  // 30.72 pt
        QCOMPARE(wait.frameGeometry(), QRect(0, 0, 1024, 768));
        QCOMPARE(app::displayMetrics().ScreenPixelsX, int16_t{1024});
        QCOMPARE(app::displayMetrics().ScreenPixelsY, int16_t{768});
        QCOMPARE(wait.scaleMode(), ui::ScaleMode::Twips);
    }
};

QTEST_MAIN(RescalingTest)
#include "rescaling_test.moc"
