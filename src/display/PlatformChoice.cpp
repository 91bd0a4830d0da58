#include "display/PlatformChoice.h"

#include <cstring>

namespace lumeye::display {

PlatformChoice choosePlatform(const Desktop& desktop) {
    const bool onWayland = desktop.serverFrames.has_value();
    PlatformChoice choice;
    choice.platform = desktop.platformAsked;
    if (choice.platform.isEmpty() && onWayland && !*desktop.serverFrames && desktop.xDisplay)
        choice.platform = "xcb";
    // Qt's frames, which on Qt 6.4 load the GPU driver, only where nobody else draws any.
    choice.qtFrames = !(onWayland && *desktop.serverFrames);
    return choice;
}

Desktop findDesktop(int argc, char* argv[]) {
    Desktop desktop;
    desktop.platformAsked = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            desktop.platformAsked = argv[i + 1];
    // The compositor is asked only when its answer matters: no platform was
    // asked for, or Wayland was.
    if (desktop.platformAsked.isEmpty() || desktop.platformAsked.startsWith("wayland"))
        desktop.serverFrames = waylandServerFrames();
    desktop.xDisplay = !qgetenv("DISPLAY").isEmpty();
    return desktop;
}

}  // namespace lumeye::display
