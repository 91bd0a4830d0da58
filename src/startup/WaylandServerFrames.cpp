#include "startup/PlatformChoice.h"

#include <QByteArray>

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <poll.h>

namespace lumeye::startup {
namespace {
void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0) *static_cast<bool*>(data) = true;
}
void ignoreRemoval(void*, wl_registry*, uint32_t) {}
const wl_registry_listener globalsListener = {noteGlobal, ignoreRemoval};

void noteDone(void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener doneListener = {noteDone};

// Long enough for a compositor busy starting up, short enough that a silent
// one does not hold the start noticeably.
constexpr std::chrono::milliseconds kAnswerWait{500};

// Dispatches the compositor's events until *done, for at most kAnswerWait.
bool waitFor(wl_display* display, const bool& done) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (!done) {
        if (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) return false;
            continue;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd = {wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
        const bool interrupted = ready < 0 && errno == EINTR;
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (interrupted) continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) return false;
    }
    return true;
}
}  // namespace

std::optional<bool> waylandServerFrames() {
    // A session names its compositor; a default socket left from another is not asked.
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty()) return std::nullopt;
    // A socket handed over by the compositor would be taken from Qt: the
    // library closes it and clears WAYLAND_SOCKET.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET")) return std::nullopt;
    // A relative name without XDG_RUNTIME_DIR makes the library print an error.
    if (!name.startsWith('/') && qgetenv("XDG_RUNTIME_DIR").isEmpty()) return std::nullopt;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return std::nullopt;
    bool offered = false, done = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &globalsListener, &offered);
    // The globals come before the answer to a sync sent after asking for them.
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &doneListener, &done);
    const bool answered = waitFor(display, done);
    wl_callback_destroy(sync);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return std::nullopt;
    return offered;
}

}  // namespace lumeye::startup
