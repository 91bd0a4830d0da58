#include "app/MainForm.h"
#include "startup/PlatformChoice.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

#include <malloc.h>

int main(int argc, char* argv[]) {
    // Every letter of a chart takes and frees pictures of a few hundred
    // kilobytes: keep such memory for the next letter instead of handing it
    // back to the system and faulting it in again, while screen-sized images
    // still go back as soon as they are freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
    // The canvas and the wait form's background have X windows of their own; the
    // pictures beside them need none.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    if (const auto nothingToOpen = lumeye::startup::prepareDisplay(argc, argv)) {
        std::fprintf(stderr, "lumeye: %s\n", qPrintable(*nothingToOpen));
        return 1;
    }
    QApplication app(argc, argv);
    if (const auto refusal = lumeye::ui::undrawableDisplay()) {
        std::fprintf(stderr, "lumeye: %s\n", qPrintable(*refusal));
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("lumeye"));
    // Desktops tie the windows to the installed desktop entry and its icon;
    // every window without a picture of its own shows the program's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lumeye.HomeEdition"));
    QIcon icon;
    for (int size : {16, 32, 128}) icon.addFile(QStringLiteral(":/icons/lumeye-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    lumeye::ui::Application::initialise(app);

    lumeye::ui::Forms::get<lumeye::app::MainForm>().Show();
    const int result = QApplication::exec();
    lumeye::ui::Application::closeDown();
    return result;
}
