#pragma once

#include "print/Printer.h"

#include <QPainter>
#include <QPointF>
#include <QString>

#include <memory>
#include <optional>

class QPrinter;

namespace lumeye::print {

// The system's default printer, set up as the card needs it: its own default
// paper, all of the area it can print on (not Qt's default margins), and
// device pixels as the unit, with (0, 0) the top left of the printable area.
// Throws a lumeye::Error when there is no default printer. On Linux the
// printer comes from CUPS, whose usual settings (CUPS_SERVER, lpoptions)
// choose the server and the default.
std::unique_ptr<QPrinter> defaultPrinterDevice();

// CUPS's answer to this thread's last request, read through the CUPS library
// already loaded (by Qt's print plugin); none where no CUPS is loaded.
struct CupsAnswer {
    bool refused = false;
    QString reason; // CUPS's words, where it refused
};
std::optional<CupsAnswer> lastCupsAnswer();

// The default-printer object over Qt's printing: a document is one QPainter
// session on a printer from defaultPrinterDevice().
class DefaultPrinter final : public Printer {
public:
    DefaultPrinter();
    ~DefaultPrinter() override;

    void Print(const QString& text) override;
    PageSurface& hDC() override;
    Handover EndDoc() override;

private:
    class Page;
    void startDocument();

    std::unique_ptr<QPrinter> device_;
    QPainter painter_;
    std::unique_ptr<Page> page_;
    QPointF printPosition_;
};

}  // namespace lumeye::print
