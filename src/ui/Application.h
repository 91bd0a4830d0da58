#pragma once

#include <QString>

#include <functional>

class QApplication;

namespace lumeye::ui {

// Process-level services: the program's folder, pending events, the help
// file opened by F1, key sending and ending the program.
class Application {
public:
    // Sets up the style, fonts and the F1 key for the whole program.
    static void initialise(QApplication& app);

    // The folder the program's binary lives in, without a trailing separator.
    static QString Path();

    static void DoEvents();

    // The registered help file; F1 in any window opens it at its default topic
    // through the help handler.
    static void setHelpFile(const QString& path);
    static QString helpFile();
    using HelpHandler = std::function<void(const QString& helpFile)>;
    static void setHelpHandler(HelpHandler handler);
    static void showHelp();

    // Sends the program one key press (and release), as if typed: it goes to
    // the widget that has the keyboard focus.
    static void SendKey(int qtKey);

    // Ends the program at once, whatever windows are open.
    static void End();
};

}  // namespace lumeye::ui
