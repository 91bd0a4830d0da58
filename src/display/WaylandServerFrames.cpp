#include "display/PlatformChoice.h"

#include <QByteArray>

#include <wayland-client.h>

#include <cstring>

namespace lumeye::display {
namespace {
void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0) *static_cast<bool*>(data) = true;
}
void ignoreRemoval(void*, wl_registry*, uint32_t) {}
const wl_registry_listener globalsListener = {noteGlobal, ignoreRemoval};
}  // namespace

std::optional<bool> waylandServerFrames() {
    // A session names its compositor; a default socket left from another is not asked.
    if (qgetenv("WAYLAND_DISPLAY").isEmpty() && qgetenv("WAYLAND_SOCKET").isEmpty()) return std::nullopt;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return std::nullopt;
    bool offered = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &globalsListener, &offered);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return std::nullopt;
    return offered;
}

}  // namespace lumeye::display
