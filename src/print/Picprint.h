#pragma once

#include "print/Printer.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <QImage>

#include <functional>
#include <memory>

class QLabel;

namespace lumeye::print {

// The Letter-E card window: shows the card picture; each "Print Card" prints
// it as one page on the default printer.
class Picprint : public ui::Form {
    Q_OBJECT
public:
    Picprint();

    QLabel* Picture1;
    ui::CommandButton* CmdPrint;
    ui::CommandButton* Command1;

    // The picture Picture1 shows, as stored: what a print draws from.
    const QImage& picture() const { return picture_; }

    // Where prints go: the system default printer unless a test gives its own.
    using PrinterSource = std::function<std::unique_ptr<Printer>()>;
    void setPrinterSource(PrinterSource source) { printerSource_ = std::move(source); }

protected:
    void Form_Load() override;

private:
    void CmdPrint_Click();
    void Command1_Click();
    void PrintPicture(PageSurface& hDC);

    QImage picture_;
    PrinterSource printerSource_;
};

}  // namespace lumeye::print
