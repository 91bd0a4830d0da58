#include "help/HelpDesk.h"

#include "help/ChmFile.h"
#include "help/HelpBrowser.h"
#include "help/HelpViewer.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWindow>

#include <memory>

namespace lumeye::help {

namespace {
// A modal window (a question, the About box) blocks every window that is not
// its own: the help window is made one of its own, so that it can be read and
// scrolled while the question waits, and freed again afterwards. Whether a
// window is blocked is settled when it is shown.
void keepUsable(HelpViewer& viewer) {
    QWidget* modal = QApplication::activeModalWidget();
    QWindow* owner = modal ? modal->windowHandle() : nullptr;
    viewer.winId();  // the platform window exists from here on
    if (viewer.windowHandle()->transientParent() == owner) return;
    const bool shown = viewer.isVisible();
    if (shown) viewer.hide();
    viewer.windowHandle()->setTransientParent(owner);
    if (shown) viewer.show();
}
}  // namespace

void HelpDesk::open(const QString& helpFile, const QString& topic) {
    const bool fresh = !viewer_;
    if (fresh) {
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
    if (!topic.isEmpty()) {
        const QString path = topic.startsWith(u'/') ? topic : u'/' + topic;
        viewer_->browser()->setSource(HelpBrowser::urlOf(path.toStdString()));
        // A window opened at a topic starts its history there.
        if (fresh) viewer_->browser()->clearHistory();
    }
    keepUsable(*viewer_);
    viewer_->setWindowState(viewer_->windowState() & ~Qt::WindowMinimized);
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
}

HelpViewer* HelpDesk::viewer() const { return viewer_; }

void installHelpViewer() {
    auto desk = std::make_shared<HelpDesk>();
    ui::Application::setHelpHandler(
        [desk](const QString& helpFile, const QString& topic) { desk->open(helpFile, topic); });
}

}  // namespace lumeye::help
