#include "ui/WaylandSurface.h"

#include "core/ZeroedMemory.h"
#include "ui/Screen.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "viewporter-client-protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// The compositor's globals we use, bound once on a queue of the program's
// own so that their events never reach Qt's dispatching.
struct Shm {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_shm* shm = nullptr;
    bool rgb565 = false; // XRGB8888 is offered by every compositor
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wp_viewporter* viewporter = nullptr;
};

template <class T>
void bindOnce(T*& global, wl_registry* registry, uint32_t name, const wl_interface& interface, uint32_t version) {
    if (!global) global = static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
}

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* s = static_cast<Shm*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0) bindOnce(s->shm, registry, name, wl_shm_interface, 1);
    else if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        // Version 4 damages in buffer pixels.
        bindOnce(s->compositor, registry, name, wl_compositor_interface, std::min<uint32_t>(version, 4));
    else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0)
        bindOnce(s->subcompositor, registry, name, wl_subcompositor_interface, 1);
    else if (std::strcmp(interface, wp_viewporter_interface.name) == 0)
        bindOnce(s->viewporter, registry, name, wp_viewporter_interface, 1);
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

// A window's surface as the compositor knows it: its size in the
// compositor's coordinates and its whole buffer scale. Those are Qt's native
// geometry and its platform's pixel ratio; a scale factor of Qt's own
// (QT_SCALE_FACTOR) lies between them and the widgets' sizes, so that the
// window's device pixels are always the surface's buffer pixels.
struct Surface {
    wl_surface* surface = nullptr;
    QSize size;
    int scale = 0;
};

std::optional<Surface> surfaceOf(const QWidget& window) {
    QWindow* handle = window.windowHandle();
    const QPlatformWindow* platform = handle ? handle->handle() : nullptr;
    if (!platform) return std::nullopt;
    auto* surface = static_cast<wl_surface*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForWindow(QByteArrayLiteral("surface"), handle));
    const qreal ratio = platform->devicePixelRatio();
    const int scale = int(std::lround(ratio));
    if (!surface || scale < 1 || ratio != scale) return std::nullopt;
    return Surface{surface, platform->geometry().size(), scale};
}

// A buffer of its own over a copy of the pixels (XRGB8888 rows, 32-bit
// words): they are small, and the compositor may read them at any time.
wl_buffer* copiedBuffer(const Shm& s, const QImage& pixels) {
    const int bytes = int(pixels.sizeInBytes());
    const int file = memfd_create("lumeye-fill", MFD_CLOEXEC);
    if (file < 0) return nullptr;
    wl_buffer* buffer = nullptr;
    if (ftruncate(file, bytes) == 0 && pwrite(file, pixels.constBits(), bytes, 0) == bytes) {
        wl_shm_pool* pool = wl_shm_create_pool(s.shm, file, bytes);
        buffer = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), int32_t(pixels.bytesPerLine()),
                                           WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
    }
    close(file);
    return buffer;
}

void sendAndDispatch(const Shm& s) {
    wl_display_flush(s.display);
    // Release events of buffers arrive on the program's own queue; nothing waits for them.
    wl_display_dispatch_queue_pending(s.display, s.queue);
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
    const std::optional<Surface> target = surfaceOf(window);
    if (!s || !compositorStores(bitmap.layout()) || !target || bitmap.width() != target->size.width() * target->scale ||
        bitmap.height() != target->size.height() * target->scale)
        return false;
    wl_surface* surface = target->surface;
    const int scale = target->scale;
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
    sendAndDispatch(*s);
    return true;
}

bool WaylandFill::compositorScales() {
    const Shm* s = shm();
    return s && s->compositor && s->subcompositor && s->viewporter;
}

WaylandFill::~WaylandFill() { release(); }

void WaylandFill::release() {
    if (subsurface_) wl_subsurface_destroy(subsurface_);
    if (pictureSurface_) wl_surface_destroy(pictureSurface_);
    if (picture_) wl_buffer_destroy(picture_);
    if (viewport_) wp_viewport_destroy(viewport_);
    if (colour_) wl_buffer_destroy(colour_);
    window_ = nullptr;
    viewport_ = nullptr;
    colour_ = nullptr;
    pictureSurface_ = nullptr;
    subsurface_ = nullptr;
    picture_ = nullptr;
}

int WaylandFill::bufferScale(const QWidget& window) {
    const std::optional<Surface> target = surfaceOf(window);
    return compositorScales() && target ? target->scale : 0;
}

bool WaylandFill::show(const QWidget& window, QRgb colour, const QImage& picture, QPoint at) {
    const Shm* s = shm();
    const std::optional<Surface> target = surfaceOf(window);
    const auto onGrid = [&](int pixels) { return pixels % target->scale == 0; };
    if (!compositorScales() || !target || !onGrid(picture.width()) || !onGrid(picture.height()) || !onGrid(at.x()) ||
        !onGrid(at.y()))
        return false;
    wl_surface* surface = target->surface;
    if (surface != window_) {
        release();
        window_ = surface;
        viewport_ = wp_viewporter_get_viewport(s->viewporter, surface);
    }
    // A buffer stays while it is attached: Weston shows nothing of a surface
    // whose buffer went. The one it replaces goes once the new one is committed.
    wl_buffer* oldColour = nullptr;
    wl_buffer* oldPicture = nullptr;
    if (!colour_ || colour != colourValue_) {
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(colour);
        wl_buffer* buffer = copiedBuffer(*s, pixel);
        if (!buffer) return false;
        oldColour = std::exchange(colour_, buffer);
        colourValue_ = colour;
    }
    if (!picture.isNull()) {
        if (!picture_ || picture.cacheKey() != pictureKey_) {
            wl_buffer* buffer = copiedBuffer(*s, picture.convertToFormat(QImage::Format_RGB32));
            if (!buffer) return false;
            oldPicture = std::exchange(picture_, buffer);
            pictureKey_ = picture.cacheKey();
        }
        if (!pictureSurface_) {
            pictureSurface_ = wl_compositor_create_surface(s->compositor);
            wl_region* none = wl_compositor_create_region(s->compositor);
            wl_surface_set_input_region(pictureSurface_, none);
            wl_region_destroy(none);
            // Synchronised: its state is shown with the window's next commit.
            subsurface_ = wl_subcompositor_get_subsurface(s->subcompositor, pictureSurface_, surface);
        }
        wl_subsurface_set_position(subsurface_, at.x() / target->scale, at.y() / target->scale);
        wl_surface_attach(pictureSurface_, picture_, 0, 0);
        wl_surface_set_buffer_scale(pictureSurface_, target->scale);
        wl_surface_damage(pictureSurface_, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(pictureSurface_);
    } else if (pictureSurface_) {
        wl_surface_attach(pictureSurface_, nullptr, 0, 0);
        wl_surface_commit(pictureSurface_);
        oldPicture = std::exchange(picture_, nullptr);
    }
    wp_viewport_set_destination(viewport_, target->size.width(), target->size.height());
    wl_surface_attach(surface, colour_, 0, 0);
    wl_surface_set_buffer_scale(surface, 1);
    wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(surface);
    if (oldColour) wl_buffer_destroy(oldColour);
    if (oldPicture) wl_buffer_destroy(oldPicture);
    sendAndDispatch(*s);
    return true;
}

}  // namespace lumeye::ui
