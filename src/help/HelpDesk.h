#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace lumeye::help {

class HelpViewer;

// Opens the program's help file in its one help window: the first request
// opens the window at the file's default topic, later ones bring it to the
// front at the page it shows. A request that names a topic (a page of the
// file, "taking-test.htm") shows that page. A file that cannot be opened is
// reported in a message box for the window that asked. The help window is a
// window of its own: no modal window blocks it, and closing it closes nothing else.
class HelpDesk {
public:
    void open(const QString& helpFile, const QString& topic = {}, const QWidget* asker = nullptr);
    HelpViewer* viewer() const;

private:
    QPointer<HelpViewer> viewer_;
};

// Makes F1 in any window (and so the menu's "&Help") open the registered help
// file at the window's page through a desk of its own.
void installHelpViewer();

}  // namespace lumeye::help
