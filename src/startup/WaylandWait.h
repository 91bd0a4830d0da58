#pragma once

#include <chrono>

struct wl_display;
struct wl_event_queue;

namespace lumeye::startup {

// Sends what is queued for the compositor and dispatches its events on
// `queue` (the display's default queue where null) until `done` is set or the
// deadline passes: a compositor that stops answering holds nobody. Works
// beside another thread reading the same display, as Qt's does. False where
// the deadline passed or the connection failed.
bool waitForCompositor(wl_display* display, wl_event_queue* queue, const bool& done,
                       std::chrono::steady_clock::time_point deadline);

}  // namespace lumeye::startup
