#include "help/HelpDesk.h"

#include "help/ChmFile.h"
#include "help/HelpBrowser.h"
#include "help/HelpViewer.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <memory>

namespace lumeye::help {

void HelpDesk::open(const QString& helpFile, const QString& topic, const QWidget* asker) {
    const bool fresh = !viewer_;
    if (fresh) {
        auto file = openHelpFile(QFile::encodeName(helpFile).toStdString());
        if (!file) {
            ui::MsgBox(asker, QStringLiteral("The help file \"%1\" could not be opened.")
                           .arg(QDir::toNativeSeparators(helpFile)));
            return;
        }
        viewer_ = new HelpViewer(std::move(file));
        viewer_->setAttribute(Qt::WA_DeleteOnClose);
        // Still open when the program ends: freed with the other windows.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, viewer_, &QObject::deleteLater);
    }
    if (!topic.isEmpty()) {
        const QString path = topic.startsWith(u'/') ? topic : u'/' + topic;
        viewer_->browser()->setSource(HelpBrowser::urlOf(path.toStdString()));
        // A window opened at a topic starts its history there.
        if (fresh) viewer_->browser()->clearHistory();
    }
    viewer_->setWindowState(viewer_->windowState() & ~Qt::WindowMinimized);
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

HelpViewer* HelpDesk::viewer() const { return viewer_; }

void installHelpViewer() {
    auto desk = std::make_shared<HelpDesk>();
    ui::Application::setHelpHandler(
        [desk](const QString& helpFile, const QString& topic, const QWidget* asker) {
            desk->open(helpFile, topic, asker);
        });
}

}  // namespace lumeye::help
