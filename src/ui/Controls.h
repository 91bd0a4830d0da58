#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace lumeye::ui {

// Whether a key pressed on an option button is reported as typed: every key
// that types a character (Escape, Backspace and Ctrl with a letter too),
// except Tab and keys held with Alt.
bool OptionKeyTyped(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// An option button that reports double-clicks and key presses that produce a
// character (Enter, Space, letters, digits ...). A single click only selects.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString& caption, QWidget* parent);
signals:
    void dblClick();
    void keyPress(int keyAscii);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A label; it can act as a button through its click signal.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const QString& caption, QWidget* parent);
signals:
    void click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class Frame : public QGroupBox {
    Q_OBJECT
public:
    explicit Frame(const QString& caption, QWidget* parent);
};

// Enter or Space on a focused button presses it, on every form.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace lumeye::ui
