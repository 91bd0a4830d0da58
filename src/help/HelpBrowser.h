#pragma once

#include "help/ChmFile.h"

#include <QTextBrowser>

#include <memory>

namespace lumeye::help {

// Shows the pages of one compiled help file: pages, pictures and style sheets
// are read from the file, links between pages are followed, with back and
// forward. Addresses are "chm:" URLs whose path is the object's path in the file.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    // Opens at the file's default topic.
    explicit HelpBrowser(std::unique_ptr<ChmFile> file, QWidget* parent = nullptr);

    static QUrl urlOf(const std::string& path);

    const ChmFile& file() const { return *file_; }

    QVariant loadResource(int type, const QUrl& name) override;

public slots:
    // The file's default topic (its contents page), wherever the window was
    // opened: Qt's own home is the first page shown.
    void home() override;

private:
    std::unique_ptr<ChmFile> file_;
};

}  // namespace lumeye::help
