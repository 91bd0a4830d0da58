#pragma once

#include <QByteArray>

#include <thread>

struct wl_display;
struct wl_event_source;

namespace lumeye::testing {

// A Wayland compositor of the least kind, on a thread of its own, listening
// as NAME in XDG_RUNTIME_DIR: it offers surfaces and toplevels, and answers
// what a frame request asks as `frames` says. No surface is ever shown.
class FakeCompositor {
public:
    enum class Frames {
        NotOffered,       // no xdg-decoration (GNOME, Weston)
        DrawsThem,        // server-side, as asked (KDE Plasma)
        LeavesThem,       // offered, and still client-side for this toplevel
        NeverConfigures,  // answers the globals, never a toplevel
    };
    FakeCompositor(const char* name, Frames frames);
    ~FakeCompositor();
    FakeCompositor(const FakeCompositor&) = delete;
    FakeCompositor& operator=(const FakeCompositor&) = delete;

private:
    Frames frames_;
    wl_display* display_;
    int stop_ = -1;
    wl_event_source* stopSource_ = nullptr;
    std::thread thread_;
};

}  // namespace lumeye::testing
