#include "print/Picprint.h"

#include "print/DefaultPrinter.h"
#include "print/PrintPicture.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Screen.h"

#include <QApplication>

#include <exception>

namespace lumeye::print {
namespace {
ui::CommandButton* makeButton(const QString& caption, QWidget* parent) {
    auto* button = new ui::CommandButton(caption, parent);
    button->setFont(ui::designFont(QStringLiteral("MS Sans Serif"), 13.5, true));
    return button;
}
}  // namespace

Picprint::Picprint()
    : printerSource_([] { return std::make_unique<DefaultPrinter>(); }) {
    setWindowTitle(QStringLiteral("Print E-Card"));
    ui::Application::setHelpTopic(this, QStringLiteral("e-card.htm"));
    setFont(ui::designFont(QStringLiteral("Arial"), 8.25, true));
    QWidget* area = client();
    ui::setBackColor(area, QColor(255, 192, 192));

    Picture1 = addControl(new ui::PictureBox(area), QStringLiteral("Picture1"));
    ui::placeDesign(Picture1, 24, 32, 302, 302);
    Picture1->setPicture(ui::StdPicture::load(QStringLiteral(":/card-e.bmp")));

    CmdPrint = addControl(makeButton(QStringLiteral("&Print Card"), area), QStringLiteral("CmdPrint"));
    QPalette buttonPalette = CmdPrint->palette();
    buttonPalette.setColor(QPalette::Button, QApplication::palette().color(QPalette::Base));
    CmdPrint->setPalette(buttonPalette);
    ui::placeDesign(CmdPrint, 384, 128, 137, 57);

    Command1 = addControl(makeButton(QStringLiteral("E&xit"), area), QStringLiteral("Command1"));
    ui::placeDesign(Command1, 400, 240, 113, 49);

    setTabOrder(Picture1, CmdPrint);
    setTabOrder(CmdPrint, Command1);

    setClientSizeDesign(555, 440);
    setFixedSize(size());

    connect(CmdPrint, &QPushButton::clicked, this, &Picprint::CmdPrint_Click);
    connect(Command1, &QPushButton::clicked, this, &Picprint::Command1_Click);
}

void Picprint::Form_Load() {
    Move(ui::Screen::Left() + (ui::Screen::Width() - Width()) / 2,
         ui::Screen::Top() + (ui::Screen::Height() - Height()) / 2, Width(), Height());
}

void Picprint::CmdPrint_Click() {
    const int pointer = ui::Screen::MousePointer();
    ui::Screen::setMousePointer(ui::Screen::PointerHourglass);
    Handover handover = Handover::Unconfirmed;
    try {
        const std::unique_ptr<Printer> printer = printerSource_();
        printer->Print(QStringLiteral(" "));
        PrintPicture(printer->hDC());
        handover = printer->EndDoc();
    } catch (const std::exception& e) {
        // A card that did not reach the printer is reported, never announced as printed.
        ui::Screen::setMousePointer(pointer);
        ui::MsgBox(this, QStringLiteral("The E-Card could not be printed.\n") + QString::fromStdString(e.what()));
        return;
    }
    ui::Screen::setMousePointer(pointer);
    // Printed only where the printing system said it took the card.
    ui::MsgBox(this, handover == Handover::Accepted
                         ? QStringLiteral("Done Printing E-Card")
                         : QStringLiteral("The E-Card was handed to the printing system; whether it was "
                                          "taken could not be read."));
}

void Picprint::Command1_Click() { Unload(); }

void Picprint::PrintPicture(PageSurface& hDC) { print::PrintPicture(Picture1->Picture().image(), hDC); }

}  // namespace lumeye::print
