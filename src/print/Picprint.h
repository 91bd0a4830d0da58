#pragma once

#include "print/Printer.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/PictureBox.h"

#include <functional>
#include <memory>

namespace lumeye::print {

// The Letter-E card window: shows the card picture; each "Print Card" prints
// it as one page on the default printer.
class Picprint : public ui::Form {
    Q_OBJECT
public:
    Picprint();

    ui::PictureBox* Picture1; // its Picture, as stored, is what a print draws from
    ui::CommandButton* CmdPrint;
    ui::CommandButton* Command1;

    // Where prints go: the system default printer unless a test gives its own.
    using PrinterSource = std::function<std::unique_ptr<Printer>()>;
    void setPrinterSource(PrinterSource source) { printerSource_ = std::move(source); }

protected:
    void Form_Load() override;

private:
    void CmdPrint_Click();
    void Command1_Click();
    void PrintPicture(PageSurface& hDC);

    PrinterSource printerSource_;
};

}  // namespace lumeye::print
