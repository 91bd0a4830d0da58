#include "ui/Screen.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace lumeye::ui {
namespace {
std::optional<ScreenInfo> screenOverride;
QPointer<QScreen> chosenScreen;

QScreen* programScreen() { return chosenScreen ? chosenScreen.data() : QGuiApplication::primaryScreen(); }
int currentPointer = Screen::PointerDefault;
}  // namespace

ScreenInfo Screen::info() {
    if (screenOverride) return *screenOverride;
    ScreenInfo s;
    if (const QScreen* q = programScreen()) {
        s.geometry = q->geometry();
        s.availableGeometry = q->availableGeometry();
        s.logicalDpiX = q->logicalDotsPerInchX();
        s.logicalDpiY = q->logicalDotsPerInchY();
        s.depth = q->depth();
    }
    return s;
}

void Screen::setOverride(std::optional<ScreenInfo> screen) { screenOverride = std::move(screen); }

bool runsOnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QScreen* Screen::at(const QPoint& point) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto holding = std::find_if(screens.begin(), screens.end(),
                                      [&point](const QScreen* s) { return s->geometry().contains(point); });
    return holding != screens.end() ? *holding : nullptr;
}

QScreen* Screen::showing(const QWidget& window) {
    if (runsOnWayland()) return window.screen();
    QScreen* centre = at(window.frameGeometry().center());
    return centre ? centre : window.screen();  // a centre between screens of different sizes
}

void Screen::setProgramScreen(QScreen* screen) { chosenScreen = screen; }

void Screen::watchProgramScreen(QObject* receiver, const std::function<void()>& changed) {
    QScreen* watched = programScreen();
    if (!watched || screenOverride) return;
    QObject::connect(qApp, &QGuiApplication::screenRemoved, receiver, [watched, changed](QScreen* gone) {
        if (gone == watched) changed();
    });
    QObject::connect(watched, &QScreen::geometryChanged, receiver, changed);
    QObject::connect(watched, &QScreen::logicalDotsPerInchChanged, receiver, changed);
}

void Screen::moveToScreen(QWidget* window) {
    if (QScreen* q = programScreen(); q && !screenOverride) window->setScreen(q);
    window->move(info().geometry.topLeft());
}

double Screen::pixelRatioOf(QWidget& window) {
    if (screenOverride) return screenOverride->devicePixelRatio;
    window.winId();
    return window.devicePixelRatioF();
}

double Screen::TwipsPerPixelX() { return kTwipsPerInch / info().logicalDpiX; }
double Screen::TwipsPerPixelY() { return kTwipsPerInch / info().logicalDpiY; }
double Screen::Width() { return info().geometry.width() * TwipsPerPixelX(); }
double Screen::Height() { return info().geometry.height() * TwipsPerPixelY(); }
double Screen::Left() { return info().geometry.x() * TwipsPerPixelX(); }
double Screen::Top() { return info().geometry.y() * TwipsPerPixelY(); }

int Screen::FullScreenClientWidth() { return info().availableGeometry.width(); }

int Screen::FullScreenClientHeight() {
    const int titleBar = qApp ? QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    return info().availableGeometry.height() - titleBar;
}

int Screen::MousePointer() { return currentPointer; }

void Screen::setMousePointer(int pointer) {
    if (pointer == currentPointer) return;
    if (currentPointer != PointerDefault) QGuiApplication::restoreOverrideCursor();
    if (pointer == PointerHourglass) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else if (pointer != PointerDefault) QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    currentPointer = pointer;
}

std::optional<QString> undrawableDisplay() {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->depth() < kLeastDrawableDepth)
            return QStringLiteral("The display has %1 bits per pixel; Lumeye needs at least %2.")
                .arg(screen->depth())
                .arg(kLeastDrawableDepth);
    }
    return std::nullopt;
}

double twipsToPixelsX(double twips) { return twips / Screen::TwipsPerPixelX(); }
double twipsToPixelsY(double twips) { return twips / Screen::TwipsPerPixelY(); }
double pixelsToTwipsX(double pixels) { return pixels * Screen::TwipsPerPixelX(); }
double pixelsToTwipsY(double pixels) { return pixels * Screen::TwipsPerPixelY(); }

}  // namespace lumeye::ui
