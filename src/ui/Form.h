#pragma once

#include "ui/Control.h"
#include "ui/ServerDrawn.h"

#include <QList>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <typeindex>

class QAction;

namespace lumeye::ui {

// A window of the program. Each form class has at most one instance, created
// and loaded (Form_Load runs) on first use through Forms::get<T>(); Unload
// destroys it, and the next use creates a fresh one.
//
// Controls are children of client(), the client area below the menu bar.
class Form : public ServerDrawn<QMainWindow> {
    Q_OBJECT
public:
    enum class ShowMode { Modeless, Modal };

    ~Form() override;

    // Shows the form; Modal returns only when it is hidden or unloaded, and
    // blocks the owner meanwhile (see makeModalFor). Shown again after the
    // program hid it, it comes back where it was left.
    void Show(ShowMode mode = ShowMode::Modeless, const QWidget* owner = nullptr);
    void Hide();
    // Hidden by the program, it notes where its frame was.
    void setVisible(bool visible) override;
    // Hides and destroys the form (after the current event has been handled).
    void Unload();
    bool isUnloaded() const { return unloaded_; }

    QWidget* client() const;

    // Outer position and size on the screen in layout units.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void Move(double left, double top, double width, double height);

    // Client area size (design), in layout units and in design pixels.
    void setClientSizeTwips(double width, double height);
    void setClientSizeDesign(int width, int height);

    ScaleMode scaleMode() const;
    void setScaleMode(ScaleMode mode);
    // Client area size in the form's own coordinate unit.
    double ScaleWidth() const;
    double ScaleHeight() const;

    // Every control in the order the form created it, menu entries included.
    QList<Control> Controls() const;

    // A top-level menu-bar entry with no sub-entries.
    QAction* addMenuEntry(const QString& name, const QString& caption);

signals:
    void unloaded();
    void hidden();

protected:
    Form();
    virtual void Form_Load() {}
    // Puts another widget in place of the client area, before any control is added.
    void setClient(QWidget* area);
    // Records a control in the form's control order.
    template <class W>
    W* addControl(W* control, const QString& name) {
        control->setObjectName(name);
        controls_.append(control);
        return control;
    }
    // Closing from the window frame unloads the form.
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class Forms;
    void load();
    void returnToWhereLeft();

    QList<QObject*> controls_;
    std::optional<QPoint> leftAt_;  // where the program last hid it (its frame)
    bool unloaded_ = false;
    bool hasMenu_ = false;
};

// The default instances.
class Forms {
public:
    template <class T>
    static T& get() {
        Form*& slot = slotFor(typeid(T));
        if (!slot) {
            Form* form = new T;
            slot = form;
            loadOrDiscard(form);
        }
        return static_cast<T&>(*slot);
    }

    template <class T>
    static T* find() {
        return static_cast<T*>(slotFor(typeid(T)));
    }

    template <class T>
    static bool isLoaded() {
        return slotFor(typeid(T)) != nullptr;
    }

    // Unloads every form and destroys it at once (tests, and ending the program).
    static void unloadAll();

private:
    friend class Form;
    static Form*& slotFor(std::type_index type);
    static void loadOrDiscard(Form* form);
    static void release(Form* form);
};

}  // namespace lumeye::ui
