#include "ui/Application.h"

#include "ui/Fonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QStyleFactory>
#include <QWidget>

namespace lumeye::ui {
namespace {
QString registeredHelpFile;
Application::HelpHandler helpHandler;

// F1 anywhere in the program opens the registered help file.
class HelpKeyFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            Application::showHelp();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

void Application::initialise(QApplication& app) {
    // One style everywhere, so the design colours and fonts look the same on
    // every desktop.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
    auto* helpKey = new HelpKeyFilter;
    helpKey->setParent(&app); // freed with the application
    app.installEventFilter(helpKey);
}

QString Application::Path() { return QCoreApplication::applicationDirPath(); }

void Application::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Application::setHelpFile(const QString& path) { registeredHelpFile = path; }
QString Application::helpFile() { return registeredHelpFile; }
void Application::setHelpHandler(HelpHandler handler) { helpHandler = std::move(handler); }

void Application::showHelp() {
    if (helpHandler) helpHandler(registeredHelpFile);
}

void Application::SendKey(int qtKey) {
    QObject* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) target = qApp;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, qtKey, Qt::NoModifier));
}

void Application::End() {
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
}

}  // namespace lumeye::ui
