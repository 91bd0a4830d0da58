#pragma once

#include <QPointer>
#include <QString>

namespace lumeye::help {

class HelpViewer;

// Opens the program's help file in its one help window: the first request
// opens the window at the file's default topic, later ones bring it to the
// front. A file that cannot be opened is reported in a message box.
class HelpDesk {
public:
    void open(const QString& helpFile);
    HelpViewer* viewer() const;

private:
    QPointer<HelpViewer> viewer_;
};

// Makes F1 in any window (and so the menu's "&Help") open the registered help
// file through a desk of its own.
void installHelpViewer();

}  // namespace lumeye::help
