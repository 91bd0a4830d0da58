#include "GuiTest.h"

#include "app/SizeTable.h"
#include "app/State.h"
#include "core/Random.h"
#include "startup/PlatformChoice.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Palette.h"

#include <QDir>

namespace lumeye::testing {

void useScreen(const TestScreen& screen) {
    ui::ScreenInfo s;
    s.geometry = QRect(0, 0, screen.width, screen.height);
    s.availableGeometry = QRect(0, 0, screen.width, screen.height - screen.panel);
    s.depth = screen.depth;
    s.bitsPerPixel = screen.bitsPerPixel;
    s.logicalDpiX = s.logicalDpiY = screen.dpi;
    s.devicePixelRatio = screen.devicePixelRatio;
    ui::Screen::setOverride(s);
}

void knownScreen(int16_t widthMM, int16_t heightMM, int fullX, int fullY) {
    app::resetState();
    app::ScreenSettings& s = app::screenSettings();
    s.ScreenWidthMM = widthMM;
    s.ScreenHeightMM = heightMM;
    s.ScreenSizeKnown = app::kTrue;
    app::BuildSizeTable(app::sizeTable(), widthMM, heightMM, true, fullX, fullY, "MainForm.BuildSizeTable");
}

void knownScreen(int16_t widthMM, int16_t heightMM) {
    knownScreen(widthMM, heightMM, ui::Screen::FullScreenClientWidth(), ui::Screen::FullScreenClientHeight());
}

GuiTest::GuiTest() : startFolder_(QDir::currentPath()) {}

void GuiTest::initMain() { startup::prepareDisplay(0, nullptr); }

void GuiTest::init() {
    app::resetState();
    RandomResetToStart();
    ui::SystemPalette::reset();
    ui::Screen::setOverride(std::nullopt);
    ui::DialogSeam::enable();
    ui::DialogSeam::clear();
    initTest();
}

void GuiTest::cleanup() {
    cleanupTest();
    ui::Forms::unloadAll();
    ui::Screen::setMousePointer(ui::Screen::PointerDefault);
    ui::Screen::setOverride(std::nullopt);
    ui::Screen::setProgramScreen(nullptr);
    ui::SystemPalette::reset();
    QDir::setCurrent(startFolder_);
}

}  // namespace lumeye::testing
