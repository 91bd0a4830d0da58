#include "app/WaitForm.h"

#include "app/Module1.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"
#include "ui/ServerDrawnLabel.h"
#include "ui/SolidArea.h"

#include <QCloseEvent>

namespace lumeye::app {
message::message() {
    setWindowTitle(QStringLiteral("Form1"));
    // No frame: scaled like its label, the design client area becomes the screen.
    setWindowFlag(Qt::FramelessWindowHint);
    move(0, 0);
    // Scaled to the screen, the form is mostly its background.
    auto* area = new ui::SolidArea(QColor(0x80, 0xFF, 0x80));
    setClient(area);

    auto* label = new ui::ServerDrawnLabel(QStringLiteral("Please Wait ..."), area);
    Label1 = addControl(label, QStringLiteral("Label1"));
    ui::setBackColor(Label1, QColor(0x80, 0xFF, 0x80));
    ui::setForeColor(Label1, QColor(0xFF, 0x00, 0x00));
    Label1->setFont(ui::designFont(QStringLiteral("Arial"), 24));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui::placeDesign(Label1, 296, 295, 313, 65);

    // Drawn by the X server, it takes no screen-sized images, in the program
    // or in the server, to say "Please Wait ...".
    ui::setDrawnByServer(*this, ui::drawnByServer(*area) && ui::drawnByServer(*label));
    setClientSizeDesign(800, 600);
    setScaleMode(ui::ScaleMode::Pixels);
}

void message::Form_Load() {
    const ScaleFactors factors = MeasureScreen("message.Form_Load");
    setScaleMode(ui::ScaleMode::Twips);
    ResizeControls(factors.x, factors.y, *this);
    ui::Screen::moveToScreen(this);
    // A Wayland program cannot place its windows: a window the size of the
    // screen covers it, above the desktop's panels, only as a full-screen one.
    if (ui::runsOnWayland()) setWindowState(windowState() | Qt::WindowFullScreen);
}

void message::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace lumeye::app
