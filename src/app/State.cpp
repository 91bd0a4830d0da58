#include "app/State.h"

namespace lumeye::app {
namespace {
ScreenSettings screen;
SizeTable table;
DisplayMetrics display;
}  // namespace

ScreenSettings& screenSettings() { return screen; }
SizeTable& sizeTable() { return table; }
DisplayMetrics& displayMetrics() { return display; }

void resetState() {
    screen = {};
    table = {};
    display = {};
}

}  // namespace lumeye::app
