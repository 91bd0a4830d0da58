#include "help/HelpDesk.h"

#include "help/ChmFile.h"
#include "help/HelpViewer.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <memory>

namespace lumeye::help {

void HelpDesk::open(const QString& helpFile) {
    if (!viewer_) {
        auto file = openHelpFile(QFile::encodeName(helpFile).toStdString());
        if (!file) {
            ui::MsgBox(QStringLiteral("The help file \"%1\" could not be opened.")
                           .arg(QDir::toNativeSeparators(helpFile)));
            return;
        }
        viewer_ = new HelpViewer(std::move(file));
        viewer_->setAttribute(Qt::WA_DeleteOnClose);
        // Still open when the program ends: freed with the other windows.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, viewer_, &QObject::deleteLater);
    }
    viewer_->setWindowState(viewer_->windowState() & ~Qt::WindowMinimized);
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

HelpViewer* HelpDesk::viewer() const { return viewer_; }

void installHelpViewer() {
    auto desk = std::make_shared<HelpDesk>();
    ui::Application::setHelpHandler([desk](const QString& helpFile) { desk->open(helpFile); });
}

}  // namespace lumeye::help
