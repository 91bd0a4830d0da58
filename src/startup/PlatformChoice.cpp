#include "startup/PlatformChoice.h"

#include <cstring>

namespace lumeye::startup {

PlatformChoice choosePlatform(const Desktop& desktop) {
    const bool onWayland = desktop.serverFrames.has_value();
    PlatformChoice choice;
    choice.platform = desktop.platformAsked;
    // DISPLAY may name an X server long gone (left by a terminal multiplexer
    // or sudo): Qt then goes on to the compositor instead of giving up. A
    // compositor that frames windows is used natively, whatever the session
    // says of itself, and an X server only where it cannot be.
    if (choice.platform.isEmpty() && onWayland && *desktop.serverFrames) choice.platform = "wayland;xcb";
    else if (choice.platform.isEmpty() && onWayland && desktop.xDisplay) choice.platform = "xcb;wayland";
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

void prepareDisplay(int argc, char* argv[]) {
    const Desktop desktop = findDesktop(argc, argv);
    const PlatformChoice choice = choosePlatform(desktop);
    // (An empty QT_QPA_PLATFORM asks for nothing, for Qt as here.)
    if (desktop.platformAsked.isEmpty() && !choice.platform.isEmpty()) qputenv("QT_QPA_PLATFORM", choice.platform);
    // Qt 6.4's Wayland plugin asks its GPU buffer integration whether it may
    // draw window frames, and that question alone loads the GPU driver (Mesa
    // with LLVM: tens of megabytes): not asked where the compositor frames
    // the windows itself.
    if (!choice.qtFrames && !qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
}

}  // namespace lumeye::startup
