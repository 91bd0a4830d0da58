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

const char* const kHelpTopicProperty = "lumeyeHelpTopic";

// F1 anywhere in the program opens the registered help file at the page of
// the window it was pressed in.
class HelpKeyFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            // A typed key first reaches the window's platform side, which is no
            // widget; it is meant for the widget with the keyboard focus.
            QWidget* from = qobject_cast<QWidget*>(watched);
            if (!from) from = QApplication::focusWidget();
            if (!from) from = QApplication::activeWindow();
            Application::showHelp(from);
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
    // The program ends only through its own exits, never because the window
    // a user closed was the only one shown (the wait form while the menu is
    // hidden, say).
    app.setQuitOnLastWindowClosed(false);
    auto* helpKey = new HelpKeyFilter;
    helpKey->setParent(&app); // freed with the application
    app.installEventFilter(helpKey);
}

QString Application::Path() { return QCoreApplication::applicationDirPath(); }

void Application::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Application::setHelpFile(const QString& path) { registeredHelpFile = path; }
QString Application::helpFile() { return registeredHelpFile; }
void Application::setHelpHandler(HelpHandler handler) { helpHandler = std::move(handler); }

void Application::setHelpTopic(QWidget* window, const QString& topic) {
    window->setProperty(kHelpTopicProperty, topic);
}

QString Application::helpTopic(const QWidget* widget) {
    return widget ? widget->window()->property(kHelpTopicProperty).toString() : QString();
}

void Application::showHelp(const QWidget* from) {
    if (helpHandler) helpHandler(registeredHelpFile, helpTopic(from), from);
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
