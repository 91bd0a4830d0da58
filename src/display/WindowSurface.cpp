#include "display/WindowSurface.h"

#include "display/X11WindowSurface.h"

namespace lumeye::display {

// One implementation per display: the X server's. Elsewhere (Wayland, the
// offscreen platform) Qt draws every window.
bool displayStores(PixelFormat format) { return X11WindowSurface::serverStores(format); }

std::unique_ptr<WindowSurface> surfaceOf(const QWidget& widget, PixelFormat format) {
    return X11WindowSurface::of(widget, format);
}

}  // namespace lumeye::display
