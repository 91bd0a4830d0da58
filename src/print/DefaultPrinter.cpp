#include "print/DefaultPrinter.h"

#include "core/Error.h"
#include "print/Dib.h"
#include "ui/Dialogs.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>
#include <dlfcn.h>

#include <optional>

namespace lumeye::print {
namespace {
Error printerError(const QString& description, const char* routine) {
    return Error(ErrorNumber::PrinterError, description.toStdString(), std::string("Printer.") + routine);
}

// Why CUPS refused the last request of this thread, if it did. CUPS is read
// through the library that Qt's print plugin loaded to print: linked to the
// program, it would be loaded at every start with its TLS and Kerberos
// libraries (3 MB of the menu's memory). No CUPS loaded, no CUPS request.
std::optional<QString> cupsRefusal() {
    void* cups = dlopen("libcups.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!cups) return std::nullopt;
    const auto lastError = reinterpret_cast<decltype(&cupsLastError)>(dlsym(cups, "cupsLastError"));
    const auto lastErrorString = reinterpret_cast<decltype(&cupsLastErrorString)>(dlsym(cups, "cupsLastErrorString"));
    std::optional<QString> refusal;
    if (lastError && lastErrorString && lastError() > IPP_STATUS_OK_CONFLICTING)
        refusal = QString::fromLocal8Bit(lastErrorString());
    dlclose(cups);
    return refusal;
}
}  // namespace

std::unique_ptr<QPrinter> defaultPrinterDevice() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty()) {
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            throw printerError(QStringLiteral("No printer is installed, or the printing service is not running."),
                               "Print");
        throw printerError(QStringLiteral("No printer is chosen as the default printer."), "Print");
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        throw printerError(QStringLiteral("The printer \"%1\" is not available.").arg(info.printerName()), "Print");
    printer->setPageSize(info.defaultPageSize());
    const QPageLayout layout = printer->pageLayout();
    printer->setPageMargins(layout.minimumMargins(), layout.units());
    printer->setDocName(ui::kAppTitle);
    return printer;
}

// The page of the open document, drawn through the document's painter.
class DefaultPrinter::Page final : public PageSurface {
public:
    Page(QPainter& painter, const QPrinter& printer) : painter_(painter), printer_(printer) {}
    int32_t HorzRes() const override { return printer_.width(); }
    int32_t VertRes() const override { return printer_.height(); }
    void StretchDIBits(const QRect& target, const Dib4& dib) override {
        // No smoothing: every device pixel takes the colour of one picture pixel.
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_.drawImage(target, toImage(dib));
    }

private:
    QPainter& painter_;
    const QPrinter& printer_;
};

DefaultPrinter::DefaultPrinter() = default;

DefaultPrinter::~DefaultPrinter() {
    // Qt cannot withdraw a started document: ending the painter hands it over.
    page_.reset();
    if (painter_.isActive()) painter_.end();
}

void DefaultPrinter::startDocument() {
    device_ = defaultPrinterDevice();
    if (!painter_.begin(device_.get())) {
        const QString name = device_->printerName();
        device_.reset();
        throw printerError(QStringLiteral("The printer \"%1\" could not start a document.").arg(name), "Print");
    }
    page_ = std::make_unique<Page>(painter_, *device_);
    printPosition_ = QPointF();
}

void DefaultPrinter::Print(const QString& text) {
    if (!painter_.isActive()) startDocument();
    const QFontMetricsF metrics(painter_.font(), device_.get());
    painter_.setPen(Qt::black);
    painter_.drawText(printPosition_ + QPointF(0, metrics.ascent()), text);
    printPosition_ = QPointF(0, printPosition_.y() + metrics.height());
}

PageSurface& DefaultPrinter::hDC() {
    if (!painter_.isActive()) startDocument();
    return *page_;
}

void DefaultPrinter::EndDoc() {
    if (!painter_.isActive()) return;
    const QString name = device_->printerName();
    page_.reset();
    const bool ended = painter_.end();
    const QPrinter::PrinterState state = device_->printerState();
    device_.reset();
    if (!ended || state == QPrinter::Error || state == QPrinter::Aborted)
        throw printerError(QStringLiteral("The printer \"%1\" could not finish the document.").arg(name), "EndDoc");
    // Qt hands the document to CUPS inside end() and keeps the answer to
    // itself; CUPS still holds the status of that last request for this thread.
    if (const std::optional<QString> refusal = cupsRefusal())
        throw printerError(
            QStringLiteral("The printer \"%1\" did not take the document: %2").arg(name, *refusal), "EndDoc");
}

}  // namespace lumeye::print
