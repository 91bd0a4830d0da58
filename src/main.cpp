#include "app/MainForm.h"
#include "ui/Application.h"
#include "ui/Form.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
    lumeye::ui::Forms::unloadAll();
    return result;
}
