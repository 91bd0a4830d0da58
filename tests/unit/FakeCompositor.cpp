#include "FakeCompositor.h"

#include "xdg-decoration-unstable-v1-server.h"
#include "xdg-shell-server.h"

#include <wayland-server.h>

#include <stdexcept>

#include <sys/eventfd.h>
#include <unistd.h>

namespace lumeye::testing {
namespace {
using Frames = FakeCompositor::Frames;

// What one toplevel has been given so far.
struct Toplevel {
    Frames frames;
    wl_resource* shellSurface = nullptr;
    wl_resource* decoration = nullptr;
};

void destroyResource(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
void ignoreRequest(wl_client*, wl_resource*) {}

// A commit is answered by a configuration: the frame mode (where asked for)
// before the surface's configure that ends it.
void commit(wl_client*, wl_resource* surface) {
    auto* toplevel = static_cast<Toplevel*>(wl_resource_get_user_data(surface));
    if (!toplevel->shellSurface || toplevel->frames == Frames::NeverConfigures) return;
    if (toplevel->decoration)
        zxdg_toplevel_decoration_v1_send_configure(toplevel->decoration,
                                                   toplevel->frames == Frames::DrawsThem
                                                       ? ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE
                                                       : ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE);
    xdg_surface_send_configure(toplevel->shellSurface, 1);
}
const struct wl_surface_interface surfaceRequests = [] {
    struct wl_surface_interface requests{};
    requests.destroy = destroyResource;
    requests.commit = commit;
    return requests;
}();
void freeToplevel(wl_resource* surface) { delete static_cast<Toplevel*>(wl_resource_get_user_data(surface)); }

void createSurface(wl_client* client, wl_resource* compositor, uint32_t id) {
    wl_resource* surface = wl_resource_create(client, &wl_surface_interface, 1, id);
    auto* frames = static_cast<Frames*>(wl_resource_get_user_data(compositor));
    wl_resource_set_implementation(surface, &surfaceRequests, new Toplevel{*frames}, freeToplevel);
}
const struct wl_compositor_interface compositorRequests = [] {
    struct wl_compositor_interface requests{};
    requests.create_surface = createSurface;
    return requests;
}();

void getToplevel(wl_client* client, wl_resource* shellSurface, uint32_t id) {
    wl_resource* toplevel = wl_resource_create(client, &xdg_toplevel_interface, 1, id);
    static const struct xdg_toplevel_interface toplevelRequests = [] {
        struct xdg_toplevel_interface requests{};
        requests.destroy = destroyResource;
        return requests;
    }();
    // The toplevel leads to the surface's record, where the frame mode is kept.
    wl_resource_set_implementation(toplevel, &toplevelRequests, wl_resource_get_user_data(shellSurface), nullptr);
}
const struct xdg_surface_interface shellSurfaceRequests = [] {
    struct xdg_surface_interface requests{};
    requests.destroy = destroyResource;
    requests.get_toplevel = getToplevel;
    return requests;
}();

void getShellSurface(wl_client* client, wl_resource*, uint32_t id, wl_resource* surface) {
    wl_resource* shellSurface = wl_resource_create(client, &xdg_surface_interface, 1, id);
    auto* toplevel = static_cast<Toplevel*>(wl_resource_get_user_data(surface));
    toplevel->shellSurface = shellSurface;
    wl_resource_set_implementation(shellSurface, &shellSurfaceRequests, toplevel, nullptr);
}
const struct xdg_wm_base_interface shellRequests = [] {
    struct xdg_wm_base_interface requests{};
    requests.destroy = destroyResource;
    requests.get_xdg_surface = getShellSurface;
    return requests;
}();

void setMode(wl_client*, wl_resource*, uint32_t) {}
const struct zxdg_toplevel_decoration_v1_interface decorationRequests = {destroyResource, setMode, ignoreRequest};

void getDecoration(wl_client* client, wl_resource*, uint32_t id, wl_resource* toplevelResource) {
    wl_resource* decoration = wl_resource_create(client, &zxdg_toplevel_decoration_v1_interface, 1, id);
    auto* toplevel = static_cast<Toplevel*>(wl_resource_get_user_data(toplevelResource));
    toplevel->decoration = decoration;
    wl_resource_set_implementation(decoration, &decorationRequests, nullptr, nullptr);
}
const struct zxdg_decoration_manager_v1_interface decorationsRequests = {destroyResource, getDecoration};

int terminate(int, uint32_t, void* display) {
    wl_display_terminate(static_cast<wl_display*>(display));
    return 0;
}

template <const wl_interface* Interface, auto Requests>
void bindGlobal(wl_client* client, void* data, uint32_t version, uint32_t id) {
    wl_resource* resource = wl_resource_create(client, Interface, static_cast<int>(version), id);
    wl_resource_set_implementation(resource, Requests, data, nullptr);
}
}  // namespace

FakeCompositor::FakeCompositor(const char* name, Frames frames) : frames_(frames), display_(wl_display_create()) {
    if (wl_display_add_socket(display_, name) != 0) {
        wl_display_destroy(display_);
        throw std::runtime_error("the stand-in compositor could not listen");
    }
    wl_global_create(display_, &wl_compositor_interface, 1, &frames_,
                     bindGlobal<&wl_compositor_interface, &compositorRequests>);
    wl_global_create(display_, &xdg_wm_base_interface, 1, nullptr, bindGlobal<&xdg_wm_base_interface, &shellRequests>);
    if (frames != Frames::NotOffered)
        wl_global_create(display_, &zxdg_decoration_manager_v1_interface, 1, nullptr,
                         bindGlobal<&zxdg_decoration_manager_v1_interface, &decorationsRequests>);
    // Ended from its own thread: a terminate sent before wl_display_run has
    // begun would be forgotten by it.
    stop_ = eventfd(0, EFD_CLOEXEC);
    stopSource_ =
        wl_event_loop_add_fd(wl_display_get_event_loop(display_), stop_, WL_EVENT_READABLE, terminate, display_);
    thread_ = std::thread([display = display_] { wl_display_run(display); });
}

FakeCompositor::~FakeCompositor() {
    eventfd_write(stop_, 1);
    thread_.join();
    wl_event_source_remove(stopSource_);
    wl_display_destroy_clients(display_);
    wl_display_destroy(display_);
    close(stop_);
}

}  // namespace lumeye::testing
