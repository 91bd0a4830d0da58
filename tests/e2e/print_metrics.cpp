// Prints the default printer as the card printing sees it, one line:
//   NAME DPI HORZRES VERTRES LEFT TOP
// resolution in dots per inch, the printable area's size and its top-left
// corner on the paper, in device pixels. Exits with 1 when there is none.
#include "print/DefaultPrinter.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrinter>

#include <exception>
#include <iostream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    try {
        const auto printer = lumeye::print::defaultPrinterDevice();
        const QRect printable = printer->pageLayout().paintRectPixels(printer->resolution());
        std::cout << printer->printerName().toStdString() << ' ' << printer->resolution() << ' ' << printer->width()
                  << ' ' << printer->height() << ' ' << printable.x() << ' ' << printable.y() << '\n';
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
