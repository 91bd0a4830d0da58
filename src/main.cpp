#include "app/MainForm.h"
#include "ui/Application.h"
#include "ui/Form.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumeye"));
    lumeye::ui::Application::initialise(app);

    lumeye::ui::Forms::get<lumeye::app::MainForm>().Show();
    const int result = QApplication::exec();
    lumeye::ui::Forms::unloadAll();
    return result;
}
