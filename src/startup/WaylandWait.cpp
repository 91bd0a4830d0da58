#include "startup/WaylandWait.h"

#include <wayland-client.h>

#include <cerrno>

#include <poll.h>

namespace lumeye::startup {

bool waitForCompositor(wl_display* display, wl_event_queue* queue, const bool& done,
                       std::chrono::steady_clock::time_point deadline) {
    const auto prepare = [&] {
        return queue ? wl_display_prepare_read_queue(display, queue) : wl_display_prepare_read(display);
    };
    const auto dispatch = [&] {
        return queue ? wl_display_dispatch_queue_pending(display, queue) : wl_display_dispatch_pending(display);
    };
    while (!done) {
        // Events already read (by another thread too) come first.
        if (prepare() != 0) {
            if (dispatch() < 0) return false;
            continue;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd = {wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR) continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || dispatch() < 0) return false;
    }
    return true;
}

}  // namespace lumeye::startup
