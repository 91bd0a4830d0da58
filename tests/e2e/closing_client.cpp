// A window shown on the display until a line comes on standard input; the
// program then ends as lumeye does (Application::End, then closeDown). Says
// "shown" on standard output once the window is on the screen, so that a
// test can take the compositor away right before the program is told to end.
#include "ui/Application.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>

#include <cstdio>

#include <unistd.h>

using namespace lumeye;

namespace {
class ShownReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed() && !told_) {
            told_ = true;
            std::puts("shown");
            std::fflush(stdout);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool told_ = false;
};
}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::Application::initialise(app);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Closing client"));
    window.resize(320, 200);
    ShownReporter reporter;
    window.winId();
    window.windowHandle()->installEventFilter(&reporter);
    window.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] { ui::Application::End(); });
    const int result = QApplication::exec();
    ui::Application::closeDown();
    return result;
}
