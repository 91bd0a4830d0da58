#include "print/DefaultPrinter.h"

#include "core/Error.h"
#include "print/Dib.h"
#include "ui/Dialogs.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>
#include <dlfcn.h>
#include <link.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace lumeye::print {
namespace {
Error printerError(const QString& description, const char* routine) {
    return Error(ErrorNumber::PrinterError, description.toStdString(), std::string("Printer.") + routine);
}

using LastError = ipp_status_t (*)();
using LastErrorString = const char* (*)();
struct CupsCalls {
    LastError error;
    LastErrorString text;
};

// CUPS 2.5 and libcups 3 call them cupsGetError(String); earlier ones only
// cupsLastError(String).
std::optional<CupsCalls> cupsCallsIn(void* library) {
    for (const auto& [error, text] : {std::pair{"cupsGetError", "cupsGetErrorString"},
                                      std::pair{"cupsLastError", "cupsLastErrorString"}}) {
        const auto errorCall = reinterpret_cast<LastError>(dlsym(library, error));
        const auto textCall = reinterpret_cast<LastErrorString>(dlsym(library, text));
        if (errorCall && textCall) return CupsCalls{errorCall, textCall};
    }
    return std::nullopt;
}

// The CUPS library among those loaded (libcups.so.2, libcups3.so...), not
// its image or filter libraries.
int noteCups(dl_phdr_info* info, size_t, void* path) {
    const char* slash = std::strrchr(info->dlpi_name, '/');
    const char* name = slash ? slash + 1 : info->dlpi_name;
    if (std::strncmp(name, "libcups", 7) != 0) return 0;
    name += 7;
    while (std::isdigit(static_cast<unsigned char>(*name))) ++name;
    if (std::strncmp(name, ".so", 3) != 0) return 0;
    *static_cast<std::string*>(path) = info->dlpi_name;
    return 1;
}
}  // namespace

std::optional<CupsAnswer> lastCupsAnswer() {
    // CUPS is read through the library that Qt's print plugin loaded to
    // print: linked to the program, it would be loaded at every start with
    // its TLS and Kerberos libraries (3 MB of the menu's memory). The plugin
    // loads it for itself alone, out of reach of RTLD_DEFAULT: it is found
    // among the loaded libraries, whatever its name.
    void* library = nullptr;
    std::optional<CupsCalls> calls = cupsCallsIn(RTLD_DEFAULT);
    if (!calls) {
        std::string path;
        dl_iterate_phdr(noteCups, &path);
        if (path.empty() || !(library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD))) return std::nullopt;
        calls = cupsCallsIn(library);
    }
    std::optional<CupsAnswer> answer;
    if (calls) {
        answer.emplace();
        if (calls->error() > IPP_STATUS_OK_CONFLICTING) {
            answer->refused = true;
            answer->reason = QString::fromLocal8Bit(calls->text());
        }
    }
    if (library) dlclose(library);
    return answer;
}

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

Handover DefaultPrinter::EndDoc() {
    if (!painter_.isActive()) return Handover::Accepted;
    const QString name = device_->printerName();
    page_.reset();
    const bool ended = painter_.end();
    const QPrinter::PrinterState state = device_->printerState();
    device_.reset();
    if (!ended || state == QPrinter::Error || state == QPrinter::Aborted)
        throw printerError(QStringLiteral("The printer \"%1\" could not finish the document.").arg(name), "EndDoc");
    // Qt hands the document to CUPS inside end() and keeps the answer to
    // itself; CUPS still holds the status of that last request for this thread.
    const std::optional<CupsAnswer> answer = lastCupsAnswer();
    if (!answer) return Handover::Unconfirmed;
    if (answer->refused)
        throw printerError(
            QStringLiteral("The printer \"%1\" did not take the document: %2").arg(name, answer->reason), "EndDoc");
    return Handover::Accepted;
}

}  // namespace lumeye::print
