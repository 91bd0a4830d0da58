#include "ui/Dialogs.h"

#include "core/Numeric.h"
#include "ui/Application.h"
#include "ui/Screen.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QQueue>
#include <QWindow>

namespace lumeye::ui {
namespace {
struct SeamState {
    bool enabled = false;
    QQueue<QString> answers;
    QList<ShownDialog> shown;
    int unanswered = 0;
};
SeamState& seam() {
    static SeamState state;
    return state;
}
}  // namespace

// Only the platform window is tied to the owner, never the widget: closing
// or destroying any other window can then take nothing of the caller's with it.
void makeModalFor(QWidget& window, const QWidget* owner) {
    QWidget* ownerWindow = owner && owner->window()->isVisible() ? owner->window() : nullptr;
    window.setWindowModality(ownerWindow ? Qt::WindowModal : Qt::ApplicationModal);
    window.winId(); // the platform window exists from here on
    window.windowHandle()->setTransientParent(ownerWindow ? ownerWindow->windowHandle() : nullptr);
}

void MsgBox(const QWidget* owner, const QString& text, const QString& title) {
    if (seam().enabled) {
        seam().shown.append({ShownDialog::Kind::Message, text, title, {}, std::nullopt, {}});
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    makeModalFor(box, owner);
    box.exec();
}

QString InputBox(const QWidget* owner, const QString& prompt, const QString& title, const QString& defaultText,
                 std::optional<QPointF> positionTwips, const QString& helpTopic) {
    if (seam().enabled) {
        seam().shown.append({ShownDialog::Kind::Input, prompt, title, defaultText, positionTwips, helpTopic});
        if (seam().answers.isEmpty()) {
            ++seam().unanswered;
            return {};
        }
        return seam().answers.dequeue();
    }
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setInputMode(QInputDialog::TextInput);
    Application::setHelpTopic(&dialog, helpTopic);
    if (positionTwips) {
        // From the corner of the program's screen, where X window managers honour it.
        dialog.move(Screen::info().geometry.topLeft() +
                    QPoint(static_cast<int>(roundHalfEven(twipsToPixelsX(positionTwips->x()))),
                           static_cast<int>(roundHalfEven(twipsToPixelsY(positionTwips->y())))));
    }
    // Modal from the start: exec() would not make a box already shown modal.
    makeModalFor(dialog, owner);
    dialog.show();
    // The default answer starts selected, so typing replaces it.
    if (auto* edit = dialog.findChild<QLineEdit*>()) edit->selectAll();
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}

void DialogSeam::enable() { seam().enabled = true; }
void DialogSeam::disable() {
    clear();
    seam().enabled = false;
}
bool DialogSeam::enabled() { return seam().enabled; }
void DialogSeam::queueAnswer(const QString& answer) { seam().answers.enqueue(answer); }
const QList<ShownDialog>& DialogSeam::shown() { return seam().shown; }
int DialogSeam::pendingAnswers() { return seam().answers.size(); }
int DialogSeam::unansweredInputs() { return seam().unanswered; }
void DialogSeam::clear() {
    seam().answers.clear();
    seam().shown.clear();
    seam().unanswered = 0;
}

}  // namespace lumeye::ui
