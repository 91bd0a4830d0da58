#include "startup/PlatformChoice.h"
#include "startup/WaylandWait.h"

#include "xdg-decoration-unstable-v1-client.h"
#include "xdg-shell-client.h"

#include <QByteArray>

#include <wayland-client.h>

#include <chrono>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lumeye::startup {
namespace {
using Clock = std::chrono::steady_clock;

// Long enough for a compositor busy starting up, short enough that a silent
// one does not hold the start noticeably.
constexpr std::chrono::milliseconds kAnswerWait{500};

// What the compositor offered and answered.
struct Answers {
    wl_compositor* compositor = nullptr;
    xdg_wm_base* shell = nullptr;
    zxdg_decoration_manager_v1* decorations = nullptr;
    bool synced = false;
    bool configured = false;
    uint32_t frameMode = 0; // none told
};

void answerPing(void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener shellListener = {answerPing};

void noteGlobal(void* data, wl_registry* registry, uint32_t id, const char* interface, uint32_t) {
    auto* answers = static_cast<Answers*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !answers->compositor) {
        answers->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, id, &wl_compositor_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !answers->shell) {
        answers->shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, id, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(answers->shell, &shellListener, nullptr);
    } else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0 && !answers->decorations) {
        answers->decorations = static_cast<zxdg_decoration_manager_v1*>(
            wl_registry_bind(registry, id, &zxdg_decoration_manager_v1_interface, 1));
    }
}
void ignoreRemoval(void*, wl_registry*, uint32_t) {}
const wl_registry_listener globalsListener = {noteGlobal, ignoreRemoval};

void noteDone(void* data, wl_callback*, uint32_t) { static_cast<Answers*>(data)->synced = true; }
const wl_callback_listener doneListener = {noteDone};

void noteFrameMode(void* data, zxdg_toplevel_decoration_v1*, uint32_t mode) {
    static_cast<Answers*>(data)->frameMode = mode;
}
const zxdg_toplevel_decoration_v1_listener decorationListener = {noteFrameMode};

// A toplevel's configuration ends with its surface's configure, after the
// frame mode chosen for it.
void noteConfigured(void* data, xdg_surface*, uint32_t) { static_cast<Answers*>(data)->configured = true; }
const xdg_surface_listener surfaceListener = {noteConfigured};

// The socket connected without waiting: a compositor that takes no
// connections any more (its queue of them full) would hold connect() itself.
int connectWithoutWaiting(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Asks for a toplevel framed by the compositor, as Qt does, without showing
// it (no buffer is ever attached), and waits for the frame mode given.
Compositor askFrameMode(wl_display* display, Answers& answers, Clock::time_point deadline) {
    wl_surface* surface = wl_compositor_create_surface(answers.compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(answers.shell, surface);
    xdg_surface_add_listener(shellSurface, &surfaceListener, &answers);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    zxdg_toplevel_decoration_v1* decoration =
        zxdg_decoration_manager_v1_get_toplevel_decoration(answers.decorations, toplevel);
    zxdg_toplevel_decoration_v1_add_listener(decoration, &decorationListener, &answers);
    zxdg_toplevel_decoration_v1_set_mode(decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    wl_surface_commit(surface);
    const bool answered = waitForCompositor(display, nullptr, answers.configured, deadline);
    zxdg_toplevel_decoration_v1_destroy(decoration);
    xdg_toplevel_destroy(toplevel);
    xdg_surface_destroy(shellSurface);
    wl_surface_destroy(surface);
    if (!answered) return Compositor::NoAnswer;
    // It may offer frames and still leave this one to the client.
    return answers.frameMode == ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE ? Compositor::FramesWindows
                                                                              : Compositor::LeavesFrames;
}
}  // namespace

Compositor probeCompositor() {
    // A session names its compositor; a default socket left from another is not asked.
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty()) return Compositor::None;
    // A socket handed over by the compositor would be taken from Qt: it is
    // the one connection there is.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET")) return Compositor::None;
    QByteArray path = name;
    if (!name.startsWith('/')) {
        // Nowhere to find it, for Qt either.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) return Compositor::NoAnswer;
        path = runtime + '/' + name;
    }
    const Clock::time_point deadline = Clock::now() + kAnswerWait;
    const int fd = connectWithoutWaiting(path);
    if (fd < 0) return Compositor::NoAnswer;
    wl_display* display = wl_display_connect_to_fd(fd); // closes fd where it fails
    if (!display) return Compositor::NoAnswer;
    Answers answers;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &globalsListener, &answers);
    // The globals come before the answer to a sync sent after asking for them.
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &doneListener, &answers);
    Compositor found = Compositor::NoAnswer;
    if (waitForCompositor(display, nullptr, answers.synced, deadline)) {
        const bool offersFrames = answers.compositor && answers.shell && answers.decorations;
        found = offersFrames ? askFrameMode(display, answers, deadline) : Compositor::LeavesFrames;
    }
    wl_callback_destroy(sync);
    if (answers.decorations) zxdg_decoration_manager_v1_destroy(answers.decorations);
    if (answers.shell) xdg_wm_base_destroy(answers.shell);
    if (answers.compositor) wl_compositor_destroy(answers.compositor);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return found;
}

}  // namespace lumeye::startup
