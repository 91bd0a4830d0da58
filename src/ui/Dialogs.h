#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

class QWidget;

namespace lumeye::ui {

inline const QString kAppTitle = QStringLiteral("Lumeye HE");

// A box belongs to the call that shows it, and is shown for `owner`, the
// window that asks: it stays over that window and blocks it (and the windows
// it stands for) until answered, while windows of their own, such as help,
// stay usable. A box with no owner, or one whose owner is not on screen,
// blocks every window of the program.

// Modal message box with an OK button only.
void MsgBox(const QWidget* owner, const QString& text, const QString& title = kAppTitle);

// Modal input box with OK and Cancel. Returns the typed text, or an empty
// text on Cancel. The position is the box's top-left corner on the screen in
// layout units; without one the box is centred. F1 in the box opens the help
// topic, when one is named (see Application::setHelpTopic).
QString InputBox(const QWidget* owner, const QString& prompt, const QString& title, const QString& defaultText,
                 std::optional<QPointF> positionTwips = std::nullopt, const QString& helpTopic = {});

// Makes a window, before it is shown, modal for `owner` as the boxes above are.
void makeModalFor(QWidget& window, const QWidget* owner);

struct ShownDialog {
    enum class Kind { Message, Input };
    Kind kind;
    QString text; // message or prompt
    QString title;
    QString defaultText;
    std::optional<QPointF> positionTwips;
    QString helpTopic;
};

// Test seam: while enabled, no box is shown. Message boxes are recorded and
// return at once; input boxes are recorded and answered from a queue (an
// empty answer is Cancel). An input box with no queued answer is a test
// fault: it is recorded, counted in unansweredInputs() and answers Cancel.
class DialogSeam {
public:
    static void enable();
    static void disable();
    static bool enabled();
    static void queueAnswer(const QString& answer);
    static const QList<ShownDialog>& shown();
    static int pendingAnswers();
    static int unansweredInputs();
    static void clear();
};

}  // namespace lumeye::ui
