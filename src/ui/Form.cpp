#include "ui/Form.h"

#include "ui/Dialogs.h"
#include "ui/Screen.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenuBar>
#include <QWindow>

#include <unordered_map>

namespace lumeye::ui {
namespace {
std::unordered_map<std::type_index, Form*>& registry() {
    static std::unordered_map<std::type_index, Form*> forms;
    return forms;
}
}  // namespace

Form::Form() { setClient(new QWidget); }

void Form::setClient(QWidget* area) {
    area->setObjectName(QStringLiteral("client"));
    setCentralWidget(area);
}

Form::~Form() { Forms::release(this); }

void Form::load() { Form_Load(); }

QWidget* Form::client() const { return centralWidget(); }

void Form::Show(ShowMode mode, const QWidget* owner) {
    if (unloaded_) return;
    returnToWhereLeft();
    if (mode == ShowMode::Modeless) {
        show();
        raise();
        activateWindow();
        return;
    }
    makeModalFor(*this, owner);
    QEventLoop loop;
    connect(this, &Form::unloaded, &loop, &QEventLoop::quit);
    connect(this, &Form::hidden, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    loop.exec();
}

void Form::Hide() { hide(); }

void Form::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Forms::release(this);
    hide();
    emit unloaded();
    deleteLater();
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    Unload();
}

void Form::setVisible(bool visible) {
    // The frame read while the window manager still holds the window in it.
    if (!visible && isVisible() && windowHandle()) leftAt_ = windowHandle()->frameGeometry().topLeft();
    QMainWindow::setVisible(visible);
}

void Form::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (event->spontaneous()) return;  // minimised: the window manager brings it back
    emit hidden();
}

// A window manager places a window shown again afresh, as a new one, unless
// the window asks for a position of its own. It asks for its frame's place,
// which every window manager puts the frame at (north-west gravity); asked
// for the client area's place (static gravity), some take that for the
// frame's (i3 ignores gravity) and the window comes back a title bar lower.
// It is asked before the window is mapped: a move asked for while the window
// manager frames it may leave the window unshown (Weston's XWayland). A
// Wayland compositor places a window itself; asked for a place there, the
// window only takes the screen at it for its own.
void Form::returnToWhereLeft() {
    if (!leftAt_ || isVisible() || runsOnWayland()) return;
    QRect frame(*leftAt_, size());
    // Its screen gone, centred on the primary one.
    if (!Screen::at(frame.center()))
        frame.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    // The widget and its window both at the frame's place, so that showing
    // applies no other geometry over the frame's; the window manager's answer
    // then gives the widget the client area's.
    setGeometry(frame);
    windowHandle()->setFramePosition(frame.topLeft());
}

double Form::Left() const { return pixelsToTwipsX(frameGeometry().x()); }
double Form::Top() const { return pixelsToTwipsY(frameGeometry().y()); }
double Form::Width() const { return pixelsToTwipsX(frameGeometry().width()); }
double Form::Height() const { return pixelsToTwipsY(frameGeometry().height()); }

void Form::Move(double left, double top, double width, double height) {
    const int frameW = frameGeometry().width() - geometry().width();
    const int frameH = frameGeometry().height() - geometry().height();
    move(wholePixels(twipsToPixelsX(left)), wholePixels(twipsToPixelsY(top)));
    resize(std::max(0, wholePixels(twipsToPixelsX(width)) - frameW),
           std::max(0, wholePixels(twipsToPixelsY(height)) - frameH));
}

void Form::setClientSizeTwips(double width, double height) {
    const int menuHeight = hasMenu_ ? menuBar()->sizeHint().height() : 0;
    resize(wholePixels(twipsToPixelsX(width)), wholePixels(twipsToPixelsY(height)) + menuHeight);
}

void Form::setClientSizeDesign(int width, int height) {
    setClientSizeTwips(width * kTwipsPerDesignPixel, height * kTwipsPerDesignPixel);
}

ScaleMode Form::scaleMode() const { return scaleModeOf(client()); }

void Form::setScaleMode(ScaleMode mode) {
    setScaleModeOf(this, mode);
    setScaleModeOf(client(), mode);
}

double Form::ScaleWidth() const { return pixelsToUnitsX(scaleMode(), client()->width()); }
double Form::ScaleHeight() const { return pixelsToUnitsY(scaleMode(), client()->height()); }

QList<Control> Form::Controls() const {
    QList<Control> list;
    for (QObject* object : controls_)
        if (object) list.append(Control(object));
    return list;
}

QAction* Form::addMenuEntry(const QString& name, const QString& caption) {
    hasMenu_ = true;
    // Desktops that export menus would take the bar out of the window, losing
    // the entries that have no sub-entries and changing the client height
    // the form is laid out from.
    menuBar()->setNativeMenuBar(false);
    QAction* action = menuBar()->addAction(caption);
    return addControl(action, name);
}

Form*& Forms::slotFor(std::type_index type) { return registry()[type]; }

void Forms::loadOrDiscard(Form* form) {
    try {
        form->load();
    } catch (...) {
        release(form);
        form->unloaded_ = true;
        delete form;
        throw;
    }
}

void Forms::release(Form* form) {
    for (auto& [type, slot] : registry())
        if (slot == form) slot = nullptr;
}

void Forms::unloadAll() {
    std::vector<Form*> loaded;
    for (auto& [type, slot] : registry())
        if (slot) loaded.push_back(slot);
    for (Form* form : loaded) {
        release(form);
        form->unloaded_ = true;
        delete form;
    }
}

}  // namespace lumeye::ui
