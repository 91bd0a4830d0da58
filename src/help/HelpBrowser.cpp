#include "help/HelpBrowser.h"

namespace lumeye::help {
namespace {
const QString kScheme = QStringLiteral("chm");
}

HelpBrowser::HelpBrowser(std::unique_ptr<ChmFile> file, QWidget* parent)
    : QTextBrowser(parent), file_(std::move(file)) {
    setOpenExternalLinks(false);
    setSource(urlOf(file_->defaultTopic()));
}

QUrl HelpBrowser::urlOf(const std::string& path) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(QString::fromStdString(path));
    return url;
}

void HelpBrowser::home() { setSource(urlOf(file_->defaultTopic())); }

// Qt hands over names already resolved against the page that uses them.
QVariant HelpBrowser::loadResource(int, const QUrl& name) {
    if (name.scheme() != kScheme) return {};
    const auto bytes = file_->read(name.path().toStdString());
    if (!bytes) return {};
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

}  // namespace lumeye::help
