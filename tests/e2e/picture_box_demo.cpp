// A window with one picture box drawn the way the acuity chart draws: a
// picture painted one to one, greys written through the pixel routines in the
// display's own channel ranges, a label and a thick red line. The end-to-end
// test shows it on X servers of different depths and compares the screens.
// On the box, a label the X server draws, as the wait form's is.
// Prints the depth the pixel routines report.
#include "bitmap/DDBHelper.h"
#include "ui/Application.h"
#include "ui/Fonts.h"
#include "ui/PictureBox.h"
#include "ui/ServerDrawnLabel.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

using namespace lumeye;

namespace {
// White's value of each channel at a reported depth.
PixelTriple whiteAt(int16_t depth) {
    if (depth == 16) return PixelTriple{31, 63, 31};
    if (depth == 15) return PixelTriple{31, 31, 31};
    return PixelTriple{255, 255, 255};
}

QImage blockPicture() {
    QImage image(60, 60, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(1);
    for (int y = 12; y < 24; ++y)
        for (int x = 12; x < 60; ++x) image.setPixel(x, y, 0);
    for (int y = 36; y < 48; ++y)
        for (int x = 12; x < 60; ++x) image.setPixel(x, y, 0);
    return image;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::Application::initialise(app);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Picture box depths"));
    auto* box = new ui::PictureBox(&window);
    box->setBorderStyle(ui::PictureBox::BorderStyle::None);
    box->setScaleMode(ui::ScaleMode::Pixels);
    box->setBackColor(Qt::white);
    box->setAutoRedraw(true);
    window.setCentralWidget(box);
    window.resize(320, 200);
    window.move(0, 0);
    window.show();
    ui::Application::DoEvents();

    // A grey ramp through the pixel routines: each channel white's value
    // times the share of white, as the letter reduction writes it.
    auto* scratch = new ui::PictureBox(&window);
    scratch->setBorderStyle(ui::PictureBox::BorderStyle::None);
    scratch->setScaleMode(ui::ScaleMode::Pixels);
    scratch->setBackColor(Qt::white);
    scratch->resize(256, 40);
    scratch->hide();
    scratch->setPicture(ui::StdPicture(scratch->Image()));
    PixelArray pixels;
    int16_t depth = 0;
    DDBHelper::GetBitmapPixels(*scratch, pixels, depth);
    const PixelTriple white = whiteAt(depth);
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            pixels(x, y) = PixelTriple{uint8_t(white.Blue * x / 255), uint8_t(white.Green * x / 255),
                                       uint8_t(white.Red * x / 255)};
    DDBHelper::SetBitmapPixels(*scratch, depth, pixels);
    scratch->setPicture(ui::StdPicture(scratch->Image()));

    box->PaintPicture(scratch->Picture(), 32, 10);
    box->PaintPicture(ui::StdPicture(blockPicture()), 20, 60);
    box->setCurrentX(100);
    box->setCurrentY(70);
    box->setFontName(QStringLiteral("verdana"));
    box->setFontSize(16);
    box->setForeColor(Qt::black);
    box->Print(QStringLiteral("6 / 12"));
    box->setDrawWidth(8);
    box->setForeColor(QColor(255, 0, 0));
    box->Line(100, 150, 260, 150);
    box->Refresh();

    auto* label = new ui::ServerDrawnLabel(QStringLiteral("Wait"), box);
    ui::setBackColor(label, QColor(255, 255, 0));
    ui::setForeColor(label, QColor(0, 0, 255));
    label->setFont(ui::designFont(QStringLiteral("Arial"), 14));
    label->setGeometry(200, 20, 100, 30);
    label->show();

    std::printf("depth %d\n", depth);
    std::fflush(stdout);
    return app.exec();
}
