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

QVariant HelpBrowser::loadResource(int, const QUrl& name) {
    // Pictures and style sheets are named relative to the page that shows them.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != kScheme) return {};
    const auto bytes = file_->read(url.path().toStdString());
    if (!bytes) return {};
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

}  // namespace lumeye::help
