#pragma once

#include "ui/Screen.h"

#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdint>

namespace lumeye::testing {

// Base of the widget tests. Each test starts as the program does: no screen
// dimensions, the generator at its first value, the start-up palette, the
// real primary screen, the default pointer, dialogue boxes recorded and answered
// from a queue (ui::DialogSeam) instead of shown. After each test every form
// is unloaded and the working folder is the one the tests started in.
//
// A test class adds its own steps in initTest() and cleanupTest(), never in
// init() or cleanup() slots of its own: those would hide these.
class GuiTest : public QObject {
    Q_OBJECT

public:
    GuiTest();
    // Run by QTEST_MAIN before the application is made.
    static void initMain();

protected:
    virtual void initTest() {}
    virtual void cleanupTest() {}

private slots:
    void init();
    void cleanup();

private:
    QString startFolder_;
};

// Counts the paint events a widget receives, installed as its event filter.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A substituted primary screen: a 96 dpi, 24-bit display unless told otherwise.
struct TestScreen {
    int width = 1024;
    int height = 768;
    int depth = 24;
    int bitsPerPixel = 0; // as ScreenInfo::bitsPerPixel
    double dpi = 96;
    double devicePixelRatio = 1;
    int panel = 0; // pixels of a panel along the bottom, outside the work area
};

void useScreen(const TestScreen& screen);

// Screen dimensions read at start-up, and the size table built from them for
// a full-screen client area of fullX x fullY pixels.
void knownScreen(int16_t widthMM, int16_t heightMM, int fullX, int fullY);
// The same for the full-screen client area of the screen in use.
void knownScreen(int16_t widthMM, int16_t heightMM);

}  // namespace lumeye::testing
