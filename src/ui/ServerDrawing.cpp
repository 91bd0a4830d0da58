#include "ui/ServerDrawing.h"

#include "ui/DeviceBitmap.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace lumeye::ui {
namespace {
xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The TrueColor visual that stores a layout's pixels: its depth and colour masks.
struct Visual {
    uint8_t depth;
    uint32_t red, green, blue;
};
std::optional<Visual> visualOf(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Bgrx32: return Visual{24, 0xff0000, 0x00ff00, 0x0000ff};
    case PixelLayout::Rgb565: return Visual{16, 0xf800, 0x07e0, 0x001f};
    case PixelLayout::Rgb555: return Visual{15, 0x7c00, 0x03e0, 0x001f};
    default: return std::nullopt;
    }
}

const xcb_screen_t* screenWithRoot(xcb_connection_t* c, xcb_window_t root) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        if (it.data->root == root) return it.data;
    return nullptr;
}

// The display name's screen, where Qt opens its windows.
const xcb_screen_t* defaultScreen(xcb_connection_t* c) {
    int number = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &number) == 0) number = 0;
    std::free(host);
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it), --number)
        if (number == 0) return it.data;
    return nullptr;
}

// The scan-line pad, in bits, of a drawable whose visual stores the layout's
// pixels exactly; nothing when any of depth, visual class, colour masks, bits
// per pixel or byte order differs.
std::optional<int> scanlinePad(xcb_connection_t* c, const xcb_screen_t* screen, xcb_visualid_t visual,
                               uint8_t depth, PixelLayout layout) {
    const std::optional<Visual> wanted = visualOf(layout);
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (!wanted || !screen || depth != wanted->depth || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return std::nullopt;
    bool trueColour = false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != depth) continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == visual)
                trueColour = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == wanted->red &&
                             v.data->green_mask == wanted->green && v.data->blue_mask == wanted->blue;
    }
    if (!trueColour) return std::nullopt;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth != depth) continue;
        const int pad = it.data->scanline_pad;
        if (it.data->bits_per_pixel != bitsPixelOf(layout) || pad < 8 || pad % 8 != 0) return std::nullopt;
        return pad;
    }
    return std::nullopt;
}

// The server can read memory of ours only on this machine: over a local
// socket, and where it offers MIT-SHM.
bool sharesMemory(xcb_connection_t* c) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(xcb_get_file_descriptor(c), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.ss_family != AF_UNIX)
        return false;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
    return shm && shm->present;
}

// Memory the server reads images from, one segment for the connection. Rows
// go through its two halves: one is filled while the server reads the other.
// It is as large as the largest image sent so far needs, up to a limit; a
// larger image goes in bands.
class SharedSegment {
public:
    static constexpr size_t kMostHalfBytes = size_t(2) << 20;
    static constexpr size_t kLeastHalfBytes = size_t(16) << 10;

    // The connection's segment, with halves of at least `halfBytes` (bounded);
    // nothing where the server cannot read memory of ours.
    static SharedSegment* of(xcb_connection_t* c, size_t halfBytes) {
        // Kept to the end: the connection is gone before static objects are.
        static SharedSegment* segment = nullptr;
        static xcb_connection_t* madeFor = nullptr;
        static bool refused = false;
        if (madeFor != c) {
            // Another connection (a test's new application): the last one
            // took its attachment with it.
            delete segment;
            segment = nullptr;
            madeFor = c;
            refused = !sharesMemory(c);
        }
        if (refused) return nullptr;
        halfBytes = std::clamp(std::bit_ceil(halfBytes), kLeastHalfBytes, kMostHalfBytes);
        if (segment && segment->halfBytes_ >= halfBytes) return segment;
        if (auto* grown = attach(c, halfBytes)) {
            // The server reads the images sent from the smaller one before it
            // detaches it; the answers that would say so are not waited for.
            if (segment) {
                for (auto& fence : segment->fences_)
                    if (fence) xcb_discard_reply(c, *fence);
                xcb_shm_detach(c, segment->id_);
            }
            delete segment;
            segment = grown;
        } else if (!segment) {
            refused = true;
        }
        return segment;
    }

    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;
    ~SharedSegment() {
        if (systemV_) shmdt(memory_);
        else munmap(memory_, 2 * halfBytes_);
    }

    size_t halfBytes() const { return halfBytes_; }

    // Room in the current half for `bytes`: its offset in the segment, the
    // other half taken once it is full.
    size_t reserve(size_t bytes) {
        if (halfBytes_ - used_ < bytes) takeOtherHalf();
        const size_t offset = size_t(half_) * halfBytes_ + used_;
        used_ = std::min(halfBytes_, (used_ + bytes + 63) / 64 * 64);
        return offset;
    }
    uint8_t* at(size_t offset) { return memory_ + offset; }
    uint32_t id() const { return id_; }

private:
    SharedSegment(xcb_connection_t* c, uint32_t id, void* memory, size_t halfBytes, bool systemV)
        : c_(c), id_(id), memory_(static_cast<uint8_t*>(memory)), halfBytes_(halfBytes), systemV_(systemV) {}

    // Shared by handing the server a file of ours (MIT-SHM 1.2): it maps
    // what it is given. Where the server is older, by a System V id, which
    // names our segment only where the server shares our IPC namespace.
    static SharedSegment* attach(xcb_connection_t* c, size_t halfBytes) {
        const size_t bytes = 2 * halfBytes;
        xcb_shm_query_version_reply_t* version =
            xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
        const bool byFile = version && (version->major_version > 1 ||
                                        (version->major_version == 1 && version->minor_version >= 2));
        std::free(version);
        const uint32_t id = xcb_generate_id(c);
        if (byFile) {
            const int fd = memfd_create("lumeye-shm", MFD_CLOEXEC);
            if (fd < 0) return nullptr;
            void* memory = ftruncate(fd, off_t(bytes)) == 0
                               ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                               : MAP_FAILED;
            if (memory == MAP_FAILED) {
                close(fd);
                return nullptr;
            }
            // The connection sends the file and closes it.
            if (xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_fd_checked(c, id, fd, 1))) {
                std::free(error);
                munmap(memory, bytes);
                return nullptr;
            }
            return new SharedSegment(c, id, memory, halfBytes, false);
        }
        const int key = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (key < 0) return nullptr;
        void* memory = shmat(key, nullptr, 0);
        xcb_generic_error_t* error = memory == reinterpret_cast<void*>(-1)
                                         ? nullptr
                                         : xcb_request_check(c, xcb_shm_attach_checked(c, id, key, 1));
        // Once both sides are attached, the segment goes when both have let go.
        shmctl(key, IPC_RMID, nullptr);
        if (memory == reinterpret_cast<void*>(-1)) return nullptr;
        if (error) {
            std::free(error);
            shmdt(memory);
            return nullptr;
        }
        return new SharedSegment(c, id, memory, halfBytes, true);
    }

    // Images fill a half one after the other; when it is full, the other
    // half is taken once the server has read what was sent from it.
    void takeOtherHalf() {
        fences_[half_] = xcb_get_input_focus(c_).sequence;
        half_ ^= 1;
        used_ = 0;
        if (auto& fence = fences_[half_]) {
            std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus_cookie_t{*fence}, nullptr));
            fence.reset();
        }
    }

    xcb_connection_t* c_;
    uint32_t id_;
    uint8_t* memory_;
    size_t halfBytes_;
    bool systemV_;
    // The request after the last image sent from each half: the server has
    // read the half once it answers.
    std::array<std::optional<unsigned int>, 2> fences_;
    int half_ = 0;
    size_t used_ = 0;
};
}  // namespace

// A window of the X server, the means to draw on it, and a record of what
// was drawn on it since the server last exposed it, to tell an expose
// already answered.
class ServerDrawing::Window : public QAbstractNativeEventFilter {
public:
    // Watched from its making, every map of it is seen here.
    Window(xcb_connection_t* c, xcb_window_t id, bool fromItsMaking) : c(c), id(id), fromItsMaking(fromItsMaking) {
        qApp->installNativeEventFilter(this);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() override {
        qApp->removeNativeEventFilter(this);
        if (!layout) return;
        xcb_free_gc(c, gc);
        xcb_flush(c);
    }

    // To be drawn on in a layout, its rows padded to a multiple of `scanlinePad` bits.
    void drawIn(PixelLayout drawnIn, int scanlinePad) {
        if (!layout) xcb_create_gc(c, gc, id, 0, nullptr);
        layout = drawnIn;
        depth = visualOf(drawnIn)->depth;
        padBytes = size_t(scanlinePad / 8);
    }


    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_EXPOSE: {
            const auto* expose = static_cast<const xcb_expose_event_t*>(message);
            if (expose->window != id) break;
            // Handling this one, Qt takes every expose of the window waiting
            // behind it out of its queue, unseen here, and paints them with
            // it: what they cover is not known, only that the server sent
            // them before anything drawn from now on.
            exposed = true;
            drawnSinceExposed = QRegion();
            break;
        }
        case XCB_UNMAP_NOTIFY:
            // Mapped again, it shows nothing of before.
            if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == id) {
                exposed = false;
                drawnSinceExposed = QRegion();
            }
            break;
        }
        return false;
    }

    xcb_connection_t* const c;
    const xcb_window_t id;
    const bool fromItsMaking;
    const uint32_t gc = xcb_generate_id(c);
    // Once it is known to store the layout's pixels (drawIn).
    std::optional<PixelLayout> layout;
    uint8_t depth = 0;
    size_t padBytes = 0;

    // Exposed since it was last mapped, and drawn since it was last exposed.
    bool exposed = false;
    QRegion drawnSinceExposed;
};

bool ServerDrawing::possible(PixelLayout layout) {
    xcb_connection_t* c = connection();
    const xcb_screen_t* screen = c ? defaultScreen(c) : nullptr;
    return screen && scanlinePad(c, screen, screen->root_visual, screen->root_depth, layout);
}

ServerDrawing::ServerDrawing() = default;
ServerDrawing::~ServerDrawing() = default;

void ServerDrawing::watch(const QWidget& widget) {
    const auto id = static_cast<xcb_window_t>(widget.internalWinId());
    xcb_connection_t* c = connection();
    window_.reset();
    if (c && id) window_ = std::make_unique<Window>(c, id, true);
}

bool ServerDrawing::begin(const QWidget& widget, PixelLayout layout) {
    const auto id = static_cast<xcb_window_t>(widget.internalWinId());
    if (window_ && window_->id == id && window_->layout == layout) return true;
    xcb_connection_t* c = connection();
    if (!c || !id) return false;
    if (!window_ || window_->id != id) window_ = std::make_unique<Window>(c, id, false);
    // The window's own visual and depth: Qt may have made it with others than the screen's.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    std::optional<int> pad;
    if (attributes && geometry)
        pad = scanlinePad(c, screenWithRoot(c, geometry->root), attributes->visual, geometry->depth, layout);
    std::free(attributes);
    std::free(geometry);
    if (!pad) return false;
    window_->drawIn(layout, *pad);
    return true;
}

QRegion ServerDrawing::toDraw(const QRegion& area, bool forUpdate) {
    if (forUpdate) return area;
    Window& w = *window_;
    if (!w.exposed) {
        // Qt's own paint on a map. The server exposes a window once it can
        // be seen (under a window manager, once its frame is mapped); until
        // then it keeps nothing drawn.
        if (w.fromItsMaking) return {};
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(w.c, xcb_get_window_attributes(w.c, w.id), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return viewable ? area : QRegion();
    }
    // A pixel drawn since the last expose shows what it is to show: a paint
    // for an expose answered already (Qt paints for each expose it handled,
    // and one of them may have taken the others' areas) leaves it out.
    return area - w.drawnSinceExposed;
}

void ServerDrawing::fill(const QRegion& area, uint32_t pixel) {
    if (area.isEmpty()) return;
    Window& w = *window_;
    xcb_change_gc(w.c, w.gc, XCB_GC_FOREGROUND, &pixel);
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : area)
        rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    xcb_poly_fill_rectangle(w.c, w.id, w.gc, uint32_t(rects.size()), rects.data());
    w.drawnSinceExposed += area;
}

void ServerDrawing::put(const DeviceBitmap& bitmap, const QRect& area, const QPoint& at) {
    const QRect pixels = area.intersected(QRect(0, 0, bitmap.width(), bitmap.height()));
    if (pixels.isEmpty()) return;
    Window& w = *window_;
    // The server's rows are padded to its scan-line pad.
    const size_t bytesPerPixel = size_t(bitsPixelOf(*w.layout) / 8);
    const size_t rowBytes = size_t(pixels.width()) * bytesPerPixel;
    const size_t paddedRow = (rowBytes + w.padBytes - 1) / w.padBytes * w.padBytes;
    const auto firstByte = [&](int y) { return bitmap.scanLine(y) + size_t(pixels.left()) * bytesPerPixel; };
    const QPoint to = at + pixels.topLeft() - QPoint(0, pixels.top());
    if (SharedSegment* segment = SharedSegment::of(w.c, paddedRow * size_t(pixels.height()));
        segment && paddedRow <= segment->halfBytes()) {
        for (int top = pixels.top(); top <= pixels.bottom();) {
            const int count = std::min(int(segment->halfBytes() / paddedRow), pixels.bottom() + 1 - top);
            const size_t offset = segment->reserve(paddedRow * size_t(count));
            for (int y = 0; y < count; ++y)
                std::memcpy(segment->at(offset + paddedRow * size_t(y)), firstByte(top + y), rowBytes);
            xcb_shm_put_image(w.c, w.id, w.gc, uint16_t(pixels.width()), uint16_t(count), 0, 0,
                              uint16_t(pixels.width()), uint16_t(count), int16_t(to.x()), int16_t(to.y() + top),
                              w.depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment->id(), uint32_t(offset));
            top += count;
        }
        w.drawnSinceExposed += QRect(at + pixels.topLeft(), pixels.size());
        xcb_flush(w.c);
        return;
    }
    // Through the socket: the rows go as they lie where they already are,
    // other areas are packed a band at a time.
    const bool asTheyLie =
        pixels.left() == 0 && pixels.width() == bitmap.width() && size_t(bitmap.widthBytes()) == paddedRow;
    const size_t maxRequest = size_t(xcb_get_maximum_request_length(w.c)) * 4 - 64;
    const int bandRows = int(std::max<size_t>(1, maxRequest / paddedRow));
    std::vector<uint8_t> band;
    for (int top = pixels.top(); top <= pixels.bottom(); top += bandRows) {
        const int count = std::min(bandRows, pixels.bottom() + 1 - top);
        const uint8_t* data = firstByte(top);
        if (!asTheyLie) {
            band.assign(paddedRow * size_t(count), 0);
            for (int y = 0; y < count; ++y)
                std::memcpy(band.data() + paddedRow * size_t(y), firstByte(top + y), rowBytes);
            data = band.data();
        }
        xcb_put_image(w.c, XCB_IMAGE_FORMAT_Z_PIXMAP, w.id, w.gc, uint16_t(pixels.width()), uint16_t(count),
                      int16_t(to.x()), int16_t(to.y() + top), 0, w.depth, uint32_t(paddedRow * size_t(count)), data);
    }
    w.drawnSinceExposed += QRect(at + pixels.topLeft(), pixels.size());
}

}  // namespace lumeye::ui
