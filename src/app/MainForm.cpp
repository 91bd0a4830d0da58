#include "app/MainForm.h"

#include "acuity/Snellen1.h"
#include "app/AnswerReader.h"
#include "app/ScreenFile.h"
#include "app/SizeTable.h"
#include "app/State.h"
#include "app/WaitForm.h"
#include "cipher/About.h"
#include "cipher/SysInfo.h"
#include "core/Error.h"
#include "core/Numeric.h"
#include "help/HelpDesk.h"
#include "print/Picprint.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QCloseEvent>
#include <QIcon>

#include <exception>
#include <filesystem>
#include <fstream>

namespace lumeye::app {
namespace {
const QString kDimensionsTitle = QStringLiteral("Lumeye");
const QPointF kInputBoxPosition(5250, 1900);
const QString kDimensionsHelp = QStringLiteral("screen-size.htm");
constexpr int16_t kMinimumMM = 190;

// Reads an answer as a 16-bit number of millimetres; nothing when it does not fit.
std::optional<int16_t> readMillimetres(const QString& answer) {
    try {
        return toInt16(ReadAnswer(answer.toStdString()), "MainForm.ScreenSize");
    } catch (const Error&) {
        return std::nullopt;
    }
}

ui::OptionButton* makeOption(const QString& caption, QWidget* parent) {
    auto* option = new ui::OptionButton(caption, parent);
    ui::setBackColor(option, QColor(0x00, 0x80, 0x80));
    ui::setForeColor(option, QColor(0x00, 0xFF, 0xFF));
    option->setFont(ui::designFont(QStringLiteral("Garamond"), 20.25));
    return option;
}

ui::Label* makeLabel(const QString& caption, QWidget* parent, const QColor& back, const QString& face) {
    auto* label = new ui::Label(caption, parent);
    ui::setBackColor(label, back);
    label->setFont(ui::designFont(face, 14.25, true));
    return label;
}
}  // namespace

MainForm::MainForm() {
    setWindowTitle(QStringLiteral("Lumeye - Home Edition 2.2"));
    ui::Application::setHelpTopic(this, QStringLiteral("contents.htm"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/lumeye-32.png"));
    icon.addFile(QStringLiteral(":/icons/lumeye-16.png"));
    setWindowIcon(icon);

    ExitBN = addMenuEntry(QStringLiteral("ExitBN"), QStringLiteral("E&xit"));
    HelpBtn = addMenuEntry(QStringLiteral("HelpBtn"), QStringLiteral("&Help"));
    aboutlumeye = addMenuEntry(QStringLiteral("aboutlumeye"), QStringLiteral("&About"));

    QWidget* area = client();
    ui::setBackColor(area, QColor(0x00, 0x40, 0x40));

    Frame1 = addControl(new ui::Frame(QStringLiteral("Seclection Menu"), area), QStringLiteral("Frame1"));
    ui::setBackColor(Frame1, QColor(0x00, 0x80, 0x80));
    ui::setForeColor(Frame1, QColor(0x00, 0xFF, 0xFF));
    Frame1->setFont(ui::designFont(QStringLiteral("Garamond"), 14.25, true));
    ui::placeDesign(Frame1, 72, 129, 548, 304);

    Option2 = addControl(makeOption(QStringLiteral("Entre Screen &Dimensions"), Frame1), QStringLiteral("Option2"));
    ui::placeDesign(Option2, 51, 75, 361, 20);
    Option3 = addControl(makeOption(QStringLiteral("&Print Letter-E Card"), Frame1), QStringLiteral("Option3"));
    ui::placeDesign(Option3, 54, 150, 273, 20);
    Option4 = addControl(makeOption(QStringLiteral("Perform Sight &Test"), Frame1), QStringLiteral("Option4"));
    ui::placeDesign(Option4, 54, 228, 273, 20);

    Label2 = addControl(makeLabel(QStringLiteral("Lumeye - Home Edition"), area, QColor(0xFF, 0xC0, 0xC0),
                                  QStringLiteral("Tahoma")), QStringLiteral("Label2"));
    ui::placeDesign(Label2, 136, 56, 369, 25);
    Label1 = addControl(makeLabel(QStringLiteral("Press F1 for Help"), area, QColor(0xFF, 0xFF, 0x00),
                                  QStringLiteral("Times New Roman")), QStringLiteral("Label1"));
    ui::placeDesign(Label1, 132, 465, 168, 25);
    Label3 = addControl(makeLabel(QStringLiteral("Exit"), area, QColor(0xFF, 0xFF, 0x80),
                                  QStringLiteral("Times New Roman")), QStringLiteral("Label3"));
    ui::setForeColor(Label3, QColor(0x80, 0x00, 0x00));
    ui::placeDesign(Label3, 405, 468, 73, 25);

    setTabOrder(Option2, Option3);
    setTabOrder(Option3, Option4);

    setClientSizeDesign(690, 542);
    setFixedSize(size());

    connect(Option2, &ui::OptionButton::dblClick, this, &MainForm::Option2_DblClick);
    connect(Option2, &ui::OptionButton::keyPress, this, &MainForm::Option2_KeyPress);
    connect(Option3, &ui::OptionButton::dblClick, this, &MainForm::Option3_DblClick);
    connect(Option3, &ui::OptionButton::keyPress, this, &MainForm::Option3_KeyPress);
    connect(Option4, &ui::OptionButton::dblClick, this, &MainForm::Option4_DblClick);
    connect(Option4, &ui::OptionButton::keyPress, this, &MainForm::Option4_KeyPress);
    connect(Label3, &ui::Label::click, this, &MainForm::Label3_Click);
    connect(ExitBN, &QAction::triggered, this, &MainForm::ExitBN_Click);
    connect(HelpBtn, &QAction::triggered, this, &MainForm::HelpBtn_Click);
    connect(aboutlumeye, &QAction::triggered, this, &MainForm::aboutlumeye_Click);
}

void MainForm::Form_Load() {
    ui::Application::setHelpFile(ui::Application::Path() + QStringLiteral("/LumeyeHE Help file.chm"));
    help::installHelpViewer();
    readScreenSettings();
    // Deciphers the About texts, whether or not the screen settings were read.
    ui::Forms::get<cipher::SysInfo>();
    Option2->setFocus();
}

void MainForm::readScreenSettings() {
    ScreenSettings& s = screenSettings();
    // The folder's name as the file system has it: bytes that are not UTF-8
    // would not survive a trip through QString.
    std::error_code ec;
    s.DataPath = std::filesystem::current_path(ec).native();
    if (s.DataPath.empty() || s.DataPath.back() != '/') s.DataPath += '/';
    const auto path = FindScreenFile(s.DataPath);
    std::ifstream in;
    if (path) in.open(*path, std::ios::binary);
    if (!in.is_open()) { // no file: the dimensions are asked for before a test
        s.ScreenSizeKnown = kFalse;
        return;
    }
    try {
        ReadScreenFile(in, s.ScreenWidthMM, s.ScreenHeightMM, "MainForm.Form_Load");
        s.ScreenSizeKnown = kTrue;
        in.close();
        BuildSizeTable(s.ScreenWidthMM, s.ScreenHeightMM);
    } catch (const Error&) {
        s.ScreenSizeKnown = kFalse;
    }
}

void MainForm::BuildSizeTable(int16_t& width, int16_t& height) {
    app::BuildSizeTable(sizeTable(), width, height, screenSettings().ScreenSizeKnown != kFalse,
                        ui::Screen::FullScreenClientWidth(), ui::Screen::FullScreenClientHeight(),
                        "MainForm.BuildSizeTable");
}

void MainForm::ScreenSize() {
    ScreenSettings& s = screenSettings();
    for (;;) {
        const auto width = readMillimetres(ui::InputBox(this,
            QStringLiteral("Enter the HORIZONTAL dimension of your display screen in millimetres"),
            kDimensionsTitle, QStringLiteral(" 303"), kInputBoxPosition, kDimensionsHelp));
        if (!width || *width == 0) return;
        const auto height = readMillimetres(ui::InputBox(this,
            QStringLiteral("Enter the VERTICAL dimension of your display screen in millimetres"),
            kDimensionsTitle, QStringLiteral(" 227"), kInputBoxPosition, kDimensionsHelp));
        if (!height || *height == 0) return;
        if (*width >= kMinimumMM && *height >= kMinimumMM) {
            s.ScreenWidthMM = *width;
            s.ScreenHeightMM = *height;
            try {
                SaveScreenFile(s.DataPath, s.ScreenWidthMM, s.ScreenHeightMM, "MainForm.ScreenSize");
            } catch (const Error& e) {
                // The values still serve for this run.
                ui::MsgBox(this, QString::fromStdString(e.description()) +
                           QStringLiteral("\nThe screen dimensions will be used until the program ends."));
            }
            s.ScreenSizeKnown = kTrue;
            return;
        }
        ui::MsgBox(this, QStringLiteral("Screen size should be a minimum of 190 millimetres in any direction"));
    }
}

void MainForm::useMenusScreen() { ui::Screen::setProgramScreen(ui::Screen::showing(*this)); }

void MainForm::enterScreenDimensions() {
    useMenusScreen();
    ScreenSize();
    ScreenSettings& s = screenSettings();
    if (s.ScreenSizeKnown != kFalse) BuildSizeTable(s.ScreenWidthMM, s.ScreenHeightMM);
}

void MainForm::printLetterCard() {
    useMenusScreen();
    ui::Forms::get<print::Picprint>().Show();
}

void MainForm::performSightTest() {
    if (screenSettings().ScreenSizeKnown == kFalse) {
        ui::MsgBox(this, QStringLiteral("Before testing, please enter your computer screen dimensions in millimetres"));
        return;
    }
    // The test is for the screen that shows the menu: the chart covers it and
    // is measured on it, whichever screen is the primary one.
    useMenusScreen();
    ScreenSettings& s = screenSettings();
    BuildSizeTable(s.ScreenWidthMM, s.ScreenHeightMM);
    Hide();
    QString failure;
    try {
        ui::Forms::get<message>().Show();
        auto& test = ui::Forms::get<acuity::snellen1>();
        // Leaving the test unloads the window; the menu comes back then.
        connect(&test, &ui::Form::unloaded, this, [this] { Show(); });
        test.Show();
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    if (auto* wait = ui::Forms::find<message>()) wait->Unload();
    if (failure.isEmpty()) return;
    // The test window could not be prepared (a display whose pixels the
    // chart cannot use, say): the user is told why and the menu goes on.
    Show();
    ui::MsgBox(this, QStringLiteral("The sight test could not be started.\n") + failure);
}

// Keys and clicks queued for the menu before a test hid it are delivered
// while the test loads, the menu hidden. They start nothing: a second test
// over the one loading would build the size table again, from the work area
// less a title bar, under a chart measured from the whole screen.
void MainForm::choose(void (MainForm::*routine)()) {
    if (isVisible()) (this->*routine)();
}

void MainForm::Option2_DblClick() { choose(&MainForm::enterScreenDimensions); }
void MainForm::Option2_KeyPress(int) { choose(&MainForm::enterScreenDimensions); }
void MainForm::Option3_DblClick() { choose(&MainForm::printLetterCard); }
void MainForm::Option3_KeyPress(int) { choose(&MainForm::printLetterCard); }
void MainForm::Option4_DblClick() { choose(&MainForm::performSightTest); }
void MainForm::Option4_KeyPress(int) { choose(&MainForm::performSightTest); }
void MainForm::Label3_Click() { ui::Application::End(); }
void MainForm::ExitBN_Click() { ui::Application::End(); }
void MainForm::HelpBtn_Click() { ui::Application::SendKey(Qt::Key_F1); }
void MainForm::aboutlumeye_Click() {
    useMenusScreen();
    ui::Forms::get<cipher::About>().Show(ui::Form::ShowMode::Modal, this);
}

void MainForm::closeEvent(QCloseEvent* event) {
    event->accept();
    ui::Application::End();
}

}  // namespace lumeye::app
