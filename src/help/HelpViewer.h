#pragma once

#include "help/ChmFile.h"

#include <QMainWindow>

#include <memory>

class QAction;

namespace lumeye::help {

class HelpBrowser;

// The help window: one compiled help file with back, forward and contents
// buttons. Escape closes it.
class HelpViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpViewer(std::unique_ptr<ChmFile> file, QWidget* parent = nullptr);

    HelpBrowser* browser() const { return browser_; }

    QAction* Back;
    QAction* Forward;
    QAction* Contents;

private:
    void showPageTitle();

    HelpBrowser* browser_;
    QString fileTitle_;
};

}  // namespace lumeye::help
