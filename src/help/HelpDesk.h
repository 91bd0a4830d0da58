#pragma once

#include <QPointer>
#include <QString>

namespace lumeye::help {

class HelpViewer;

// Opens the program's help file in its one help window: the first request
// opens the window at the file's default topic, later ones bring it to the
// front at the page it shows. A request that names a topic (a page of the
// file, "taking-test.htm") shows that page. A file that cannot be opened is
// reported in a message box.
class HelpDesk {
public:
    // Asked for while a modal window is up, the help window stays usable.
    void open(const QString& helpFile, const QString& topic = {});
    HelpViewer* viewer() const;

private:
    QPointer<HelpViewer> viewer_;
};

// Makes F1 in any window (and so the menu's "&Help") open the registered help
// file at the window's page through a desk of its own.
void installHelpViewer();

}  // namespace lumeye::help
