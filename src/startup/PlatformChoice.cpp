#include "startup/PlatformChoice.h"

#include <cstring>

namespace lumeye::startup {

PlatformChoice choosePlatform(const Desktop& desktop) {
    PlatformChoice choice;
    choice.platform = desktop.platformAsked;
    // Qt's frames, which on Qt 6.4 load the GPU driver, only where nobody else draws any.
    choice.qtFrames = desktop.compositor != Compositor::FramesWindows;
    if (!choice.platform.isEmpty()) return choice;
    switch (desktop.compositor) {
    case Compositor::None: // Qt's own choice: an X11 session, or a socket handed to Qt
        break;
    case Compositor::NoAnswer:
        if (desktop.xDisplay) choice.platform = "xcb";
        else choice.nothingToOpen = true;
        break;
    // DISPLAY may name an X server long gone (left by a terminal multiplexer
    // or sudo): Qt then goes on to the compositor instead of giving up. A
    // compositor that frames windows is used natively, whatever the session
    // says of itself, and an X server only where it cannot be.
    case Compositor::FramesWindows:
        choice.platform = "wayland;xcb";
        break;
    case Compositor::LeavesFrames:
        choice.platform = desktop.xDisplay ? "xcb;wayland" : "wayland";
        break;
    }
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
        desktop.compositor = probeCompositor();
    desktop.xDisplay = !qgetenv("DISPLAY").isEmpty();
    return desktop;
}

std::optional<QString> prepareDisplay(int argc, char* argv[]) {
    const Desktop desktop = findDesktop(argc, argv);
    const PlatformChoice choice = choosePlatform(desktop);
    if (choice.nothingToOpen)
        return QStringLiteral("the Wayland compositor \"%1\" does not answer, and no X display is set (DISPLAY)")
            .arg(QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY")));
    // (An empty QT_QPA_PLATFORM asks for nothing, for Qt as here.)
    if (desktop.platformAsked.isEmpty() && !choice.platform.isEmpty()) qputenv("QT_QPA_PLATFORM", choice.platform);
    // Qt 6.4's Wayland plugin asks its GPU buffer integration whether it may
    // draw window frames, and that question alone loads the GPU driver (Mesa
    // with LLVM: tens of megabytes): not asked where the compositor frames
    // the windows itself.
    if (!choice.qtFrames && !qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION"))
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    return std::nullopt;
}

}  // namespace lumeye::startup
