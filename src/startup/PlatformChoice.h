#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumeye::startup {

// The Wayland compositor that the environment names, as it answered.
enum class Compositor {
    None,          // none named (an X11 session), or one reached only through Qt (a handed socket)
    NoAnswer,      // named, but not answering in time: hung, or a socket left by one gone
    FramesWindows, // answers, and frames a toplevel itself (server-side decorations)
    LeavesFrames,  // answers, and leaves a toplevel's frame to the client
};

// What the program finds of the desktop before it opens the display.
struct Desktop {
    QByteArray platformAsked;             // QT_QPA_PLATFORM or -platform, as the user gave it
    Compositor compositor = Compositor::None;
    bool xDisplay = false;                // an X server named by DISPLAY (XWayland, on a Wayland desktop)
};

// How the program opens the display.
struct PlatformChoice {
    QByteArray platform;  // the platform plugins to try in turn; empty: Qt's own choice
    bool qtFrames = true; // whether Qt may draw frames on Wayland windows
    bool nothingToOpen = false; // a compositor named that does not answer, and no X server named
};

// Every window a user moves or closes gets a frame from somebody: on a
// Wayland compositor that draws none (GNOME, Weston) the program runs as an X
// client through XWayland, which the desktop frames, or natively with Qt's
// own frames where no X server is named. A compositor that does not answer
// is never given to Qt, whose Wayland plugin would wait for it for ever. A
// platform the user asked for is obeyed.
PlatformChoice choosePlatform(const Desktop& desktop);

// The desktop as this process finds it: the environment, the command line,
// and the Wayland compositor's answer.
Desktop findDesktop(int argc, char* argv[]);

// Asks the Wayland compositor named by the environment how it frames a
// toplevel, within half a second from connecting to its last answer. None
// where asking would take Qt's connection (WAYLAND_SOCKET) or make the
// library print errors (a relative name without XDG_RUNTIME_DIR).
Compositor probeCompositor();

// Sets the environment Qt reads for the choice made from the environment and
// the command line, leaving alone whatever the user set: call before the
// QApplication is constructed. Where there is nothing the program can open,
// says why instead, and the program ends.
std::optional<QString> prepareDisplay(int argc, char* argv[]);

}  // namespace lumeye::startup
