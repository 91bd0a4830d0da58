#pragma once

#include <QString>

#include <functional>

class QApplication;
class QWidget;

namespace lumeye::ui {

// Process-level services: the program's folder, pending events, the help
// file opened by F1, key sending and ending the program.
class Application {
public:
    // Sets up the style, fonts and the F1 key for the whole program, which
    // ends only through End() or its own return from the event loop.
    static void initialise(QApplication& app);

    // The folder the program's binary lives in, without a trailing separator.
    static QString Path();

    static void DoEvents();

    // The registered help file; F1 opens it through the help handler at the
    // page of the window in use.
    static void setHelpFile(const QString& path);
    static QString helpFile();
    // Names the page of the help file ("taking-test.htm") that F1 opens while
    // the window, or anything in it, has the keyboard. In windows that name
    // none, F1 brings up help as it stands.
    static void setHelpTopic(QWidget* window, const QString& topic);
    static QString helpTopic(const QWidget* widget);
    // Opens the help file at a topic for the window that asks; an empty topic
    // leaves the page to the handler (the default topic, or the page already shown).
    using HelpHandler = std::function<void(const QString& helpFile, const QString& topic, const QWidget* asker)>;
    static void setHelpHandler(HelpHandler handler);
    // Help for the window `from` is in.
    static void showHelp(const QWidget* from);

    // Sends the program one key press (and release), as if typed: it goes to
    // the widget that has the keyboard focus.
    static void SendKey(int qtKey);

    // Ends the program at once, whatever windows are open.
    static void End();
    // Frees every form and native window, and lets the window system's
    // answers to that in, while the program can still take them: call once
    // the event loop has returned, before the QApplication goes.
    static void closeDown();
};

}  // namespace lumeye::ui
