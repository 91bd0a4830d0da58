#include "ui/Controls.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace lumeye::ui {

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {}

void OptionButton::mouseDoubleClickEvent(QMouseEvent* event) {
    QRadioButton::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit dblClick();
}

bool OptionKeyTyped(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    // A key held with Alt is a command (an accelerator, or none), not typing;
    // AltGr, which does type characters, does not report Alt.
    return !text.isEmpty() && !(modifiers & Qt::AltModifier) && qtKey != Qt::Key_Tab && qtKey != Qt::Key_Backtab;
}

void OptionButton::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (OptionKeyTyped(event->key(), event->modifiers(), text)) {
        // Space still selects the option too.
        if (event->key() == Qt::Key_Space) setChecked(true);
        emit keyPress(text.at(0).unicode());
        event->accept();
        return;
    }
    QRadioButton::keyPressEvent(event);
}

Label::Label(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit click();
}

Frame::Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

// A push button takes Enter only inside a dialogue box; forms are main windows.
void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace lumeye::ui
