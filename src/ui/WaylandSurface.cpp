#include "ui/WaylandSurface.h"

#include "core/ZeroedMemory.h"
#include "ui/Screen.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cmath>
#include <cstring>
#include <optional>

namespace lumeye::ui {
namespace {
std::optional<uint32_t> shmFormatOf(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Bgrx32: return WL_SHM_FORMAT_XRGB8888;
    case PixelLayout::Rgb565: return WL_SHM_FORMAT_RGB565;
    default: return std::nullopt;
    }
}

// The compositor's shared-memory global, bound once on a queue of the
// program's own so that its events never reach Qt's dispatching.
struct Shm {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_shm* shm = nullptr;
    bool rgb565 = false; // XRGB8888 is offered by every compositor
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* s = static_cast<Shm*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0 && !s->shm)
        s->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}
void onGlobalRemoved(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{onGlobal, onGlobalRemoved};

void onFormat(void* data, wl_shm*, uint32_t format) {
    if (format == WL_SHM_FORMAT_RGB565) static_cast<Shm*>(data)->rgb565 = true;
}
const wl_shm_listener shmListener{onFormat};

bool bind(Shm& s) {
    if (!runsOnWayland()) return false;
    auto* native = QGuiApplication::platformNativeInterface();
    s.display = native ? static_cast<wl_display*>(native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")))
                       : nullptr;
    if (!s.display) return false;
    s.queue = wl_display_create_queue(s.display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(s.display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), s.queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &registryListener, &s);
    wl_display_roundtrip_queue(s.display, s.queue);
    wl_registry_destroy(registry);
    if (!s.shm) return false;
    wl_shm_add_listener(s.shm, &shmListener, &s);
    wl_display_roundtrip_queue(s.display, s.queue);
    return true;
}

const Shm* shm() {
    static Shm s;
    static const bool bound = bind(s);
    return bound ? &s : nullptr;
}
}  // namespace

bool WaylandSurface::compositorStores(PixelLayout layout) {
    const Shm* s = shm();
    return s && shmFormatOf(layout) && (layout != PixelLayout::Rgb565 || s->rgb565);
}

WaylandSurface::~WaylandSurface() { release(); }

void WaylandSurface::release() {
    if (buffer_) wl_buffer_destroy(buffer_);
    buffer_ = nullptr;
    bits_ = nullptr;
}

bool WaylandSurface::show(const QWidget& window, const DeviceBitmap& bitmap, const QRegion& area) {
    const Shm* s = shm();
    const double ratio = window.devicePixelRatioF();
    const int scale = int(std::lround(ratio));
    if (!s || !compositorStores(bitmap.layout()) || scale < 1 || ratio != scale || !window.windowHandle() ||
        bitmap.width() != window.width() * scale || bitmap.height() != window.height() * scale)
        return false;
    auto* surface = static_cast<wl_surface*>(QGuiApplication::platformNativeInterface()->nativeResourceForWindow(
        QByteArrayLiteral("surface"), window.windowHandle()));
    if (!surface) return false;
    if (!buffer_ || bits_ != bitmap.bits() || width_ != bitmap.width() || height_ != bitmap.height()) {
        release();
        // The compositor maps the bitmap's own memory; rows as the bitmap lays them.
        const int file = fileOfZeroed(bitmap.bits());
        if (file < 0 || bitmap.widthBytes() % 4 != 0) return false;
        wl_shm_pool* pool = wl_shm_create_pool(s->shm, file, int32_t(bitmap.byteCount()));
        buffer_ = wl_shm_pool_create_buffer(pool, 0, bitmap.width(), bitmap.height(), bitmap.widthBytes(),
                                            *shmFormatOf(bitmap.layout()));
        wl_shm_pool_destroy(pool);
        bits_ = bitmap.bits();
        width_ = bitmap.width();
        height_ = bitmap.height();
    }
    // Attached again at every commit: after its release the compositor reads
    // a buffer only once it is attached anew.
    wl_surface_attach(surface, buffer_, 0, 0);
    wl_surface_set_buffer_scale(surface, scale);
    const bool inBufferPixels = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) >=
                                WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
    for (const QRect& r : area & QRect(0, 0, bitmap.width(), bitmap.height())) {
        if (inBufferPixels) wl_surface_damage_buffer(surface, r.x(), r.y(), r.width(), r.height());
        else {
            const QRect points(r.x() / scale, r.y() / scale, (r.right() / scale) - r.x() / scale + 1,
                               (r.bottom() / scale) - r.y() / scale + 1);
            wl_surface_damage(surface, points.x(), points.y(), points.width(), points.height());
        }
    }
    wl_surface_commit(surface);
    wl_display_flush(s->display);
    // Release events of the buffer arrive on the program's own queue; nothing waits for them.
    wl_display_dispatch_queue_pending(s->display, s->queue);
    return true;
}

}  // namespace lumeye::ui
