#include "ui/Application.h"

#include "ui/Fonts.h"
#include "ui/Form.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
#if QT_CONFIG(wayland)
#define LUMEYE_WAYLAND_APPLICATION
#include "startup/WaylandWait.h"

#include <wayland-client.h>

#include <chrono>
#endif
#else
// Qt 6.4's Wayland plugin: its reading threads are waited for at exit.
#define LUMEYE_WAYLAND_READERS_WAIT
#include "ui/Screen.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <thread>
#endif

namespace lumeye::ui {
namespace {
QString registeredHelpFile;
Application::HelpHandler helpHandler;

const char* const kHelpTopicProperty = "lumeyeHelpTopic";
#ifdef LUMEYE_WAYLAND_APPLICATION
// Long enough for a thread that has read the compositor's last answer to hand
// it to the main loop, even on a busy machine.
constexpr int kWaylandSettleMs = 100;
// How long a compositor is given to answer at exit: one that stops answering
// (hung, or stopped) must not hold the program.
constexpr std::chrono::milliseconds kWaylandAnswerWait{500};

void noteAnswer(void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener answerListener = {noteAnswer};

// Lets in the compositor's answers to everything sent so far: a round trip on
// a queue of this thread's own, beside Qt's reading thread.
void awaitAnswers(wl_display* display) {
    wl_event_queue* queue = wl_display_create_queue(display);
    if (!queue) return;
    auto* ours = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(ours), queue);
    wl_callback* sync = wl_display_sync(ours);
    wl_proxy_wrapper_destroy(ours);
    bool answered = false;
    wl_callback_add_listener(sync, &answerListener, &answered);
    startup::waitForCompositor(display, queue, answered, std::chrono::steady_clock::now() + kWaylandAnswerWait);
    wl_callback_destroy(sync);
    wl_event_queue_destroy(queue);
}
#elif defined(LUMEYE_WAYLAND_READERS_WAIT)
// Whether one of the threads that Qt's Wayland plugin reads the compositor in
// waits to run.
bool waylandReaderRunnable() {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly) || !name.readAll().startsWith("WaylandEventThr")) continue;
        QFile status(tasks.filePath(task + QStringLiteral("/stat")));
        if (!status.open(QIODevice::ReadOnly)) continue;
        // "pid (name) state ...": the state follows the name's last bracket.
        const QByteArray line = status.readAll();
        const qsizetype state = line.lastIndexOf(')') + 2;
        if (state >= 2 && state < line.size() && line[state] == 'R') return true;
    }
    return false;
}
#endif

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
    // Every event loop of the program ends, modal ones included, and any
    // started from here on returns at once: main's exec() returns as soon as
    // the caller's stack has unwound.
    QCoreApplication::exit(0);
}

void Application::closeDown() {
    Forms::unloadAll();
    for (QWindow* window : QGuiApplication::allWindows()) window->destroy();
#ifdef LUMEYE_WAYLAND_APPLICATION
    // Qt's Wayland plugin (6.8; 6.4 takes the lock) tells its reading thread
    // to stop without the lock that thread waits under: if the compositor's
    // answer to the windows just destroyed comes in as the QApplication goes,
    // the wake-up can be lost, the thread waits for a main loop that is gone,
    // and the program never ends. So the answers are let in first, and the
    // loop runs a moment longer to pass them on to that thread. A compositor
    // that stops answering as the program ends is waited for only so long.
    if (auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>()) {
        awaitAnswers(wayland->display());
        QEventLoop settle;
        QTimer::singleShot(kWaylandSettleMs, &settle, &QEventLoop::quit);
        settle.exec();
    }
#elif defined(LUMEYE_WAYLAND_READERS_WAIT)
    // Qt's Wayland plugin (6.4) hands its reading thread a read each time the
    // main loop wakes; a thread told to stop before it ran quits without that
    // read, the plugin's other reading thread then waits for it forever, and
    // the program never ends (seen on a busy machine). So the program ends once
    // neither waits to run: each has taken what it was handed. A machine too
    // busy to let them run is waited for only so long.
    if (runsOnWayland()) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (waylandReaderRunnable() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
#endif
}

}  // namespace lumeye::ui
