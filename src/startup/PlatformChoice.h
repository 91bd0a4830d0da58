#pragma once

#include <QByteArray>

#include <optional>

namespace lumeye::startup {

// What the program finds of the desktop before it opens the display.
struct Desktop {
    QByteArray platformAsked;          // QT_QPA_PLATFORM or -platform, as the user gave it
    std::optional<bool> serverFrames;  // the Wayland compositor's answer: whether it frames windows; none without one
    bool xDisplay = false;             // an X server named by DISPLAY (XWayland, on a Wayland desktop)
};

// How the program opens the display.
struct PlatformChoice {
    QByteArray platform;  // the platform plugins to try in turn; empty: Qt's own choice
    bool qtFrames = true; // whether Qt may draw frames on Wayland windows
};

// Every window a user moves or closes gets a frame from somebody: on a
// Wayland compositor that draws none (GNOME, Weston) the program runs as an X
// client through XWayland, which the desktop frames, or natively with Qt's
// own frames where no X server answers. A platform the user asked for is obeyed.
PlatformChoice choosePlatform(const Desktop& desktop);

// The desktop as this process finds it: the environment, the command line,
// and the Wayland compositor's list of globals.
Desktop findDesktop(int argc, char* argv[]);

// Whether the Wayland compositor named by the environment offers server-side
// frames (xdg-decoration); none where no compositor answers within a moment,
// or where asking would take Qt's connection or print errors.
std::optional<bool> waylandServerFrames();

// Sets the environment Qt reads for the choice made from the environment and
// the command line, leaving alone whatever the user set: call before the
// QApplication is constructed.
void prepareDisplay(int argc, char* argv[]);

}  // namespace lumeye::startup
