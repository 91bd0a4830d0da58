#pragma once

#include <Qt>

namespace lumeye::ui {

// The key code a picture box reports for a Qt key (27 Escape, 13 Enter,
// 32 Space, 65-90 letters, 37-40 arrows ...), 0 for keys it does not report.
int keyCodeOf(int qtKey);
// The modifier mask (1 Shift, 2 Ctrl, 4 Alt) for Qt modifiers.
int shiftMaskOf(Qt::KeyboardModifiers modifiers);

}  // namespace lumeye::ui
