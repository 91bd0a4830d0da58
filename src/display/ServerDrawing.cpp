#include "display/ServerDrawing.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace lumeye::display {
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

// Rows are sent a band at a time through two halves of one shared segment:
// one is filled while the server reads the other.
constexpr size_t kHalfBytes = size_t(2) << 20;
}  // namespace

// A window of the X server and the means to draw on it.
class ServerDrawing::Window {
public:
    Window(xcb_connection_t* c, xcb_window_t id, PixelLayout layout, int scanlinePad)
        : c_(c), id_(id), gc_(xcb_generate_id(c)), layout_(layout), depth_(visualOf(layout)->depth),
          padBytes_(size_t(scanlinePad / 8)) {
        xcb_create_gc(c_, gc_, id_, 0, nullptr);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (segment_) {
            // The server detaches after reading every image before; answers
            // not waited for are dropped.
            for (auto& fence : fences_)
                if (fence) xcb_discard_reply(c_, *fence);
            xcb_shm_detach(c_, segment_);
            shmdt(memory_);
        }
        xcb_free_gc(c_, gc_);
        xcb_flush(c_);
    }

    xcb_window_t id() const { return id_; }
    PixelLayout layout() const { return layout_; }

    void fill(const QRegion& area, uint32_t pixel) {
        if (area.isEmpty()) return;
        xcb_change_gc(c_, gc_, XCB_GC_FOREGROUND, &pixel);
        std::vector<xcb_rectangle_t> rects;
        for (const QRect& r : area)
            rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
        xcb_poly_fill_rectangle(c_, id_, gc_, uint32_t(rects.size()), rects.data());
    }

    void put(const PixelRows& rows, const QRect& area, const QPoint& at) {
        const QRect pixels = area.intersected(QRect(0, 0, rows.width, rows.height));
        if (pixels.isEmpty()) return;
        // The server's rows are padded to its scan-line pad.
        const size_t bytesPerPixel = size_t(bitsPixelOf(layout_) / 8);
        const size_t rowBytes = size_t(pixels.width()) * bytesPerPixel;
        const size_t paddedRow = (rowBytes + padBytes_ - 1) / padBytes_ * padBytes_;
        const auto firstByte = [&](int y) {
            return rows.bits + size_t(y) * size_t(rows.bytesPerLine) + size_t(pixels.left()) * bytesPerPixel;
        };
        if (paddedRow <= kHalfBytes && attachSegment()) {
            for (int top = pixels.top(); top <= pixels.bottom();) {
                int fit = int((kHalfBytes - used_) / paddedRow);
                if (fit == 0) {
                    takeOtherHalf();
                    fit = int(kHalfBytes / paddedRow);
                }
                const int count = std::min(fit, pixels.bottom() + 1 - top);
                const size_t offset = size_t(half_) * kHalfBytes + used_;
                for (int y = 0; y < count; ++y)
                    std::memcpy(memory_ + offset + paddedRow * size_t(y), firstByte(top + y), rowBytes);
                xcb_shm_put_image(c_, id_, gc_, uint16_t(pixels.width()), uint16_t(count), 0, 0,
                                  uint16_t(pixels.width()), uint16_t(count), int16_t(at.x() + pixels.left()),
                                  int16_t(at.y() + top), depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_,
                                  uint32_t(offset));
                used_ = std::min(kHalfBytes, (used_ + paddedRow * size_t(count) + 63) / 64 * 64);
                top += count;
            }
            xcb_flush(c_);
            return;
        }
        // Through the socket: the rows go as they lie where they already are,
        // other areas are packed a band at a time.
        const bool asTheyLie = pixels.left() == 0 && pixels.width() == rows.width &&
                               size_t(rows.bytesPerLine) == paddedRow;
        const size_t maxRequest = size_t(xcb_get_maximum_request_length(c_)) * 4 - 64;
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
            xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, id_, gc_, uint16_t(pixels.width()), uint16_t(count),
                          int16_t(at.x() + pixels.left()), int16_t(at.y() + top), 0, depth_,
                          uint32_t(paddedRow * size_t(count)), data);
        }
    }

private:
    // Whether a shared segment is attached, attaching one the first time.
    bool attachSegment() {
        if (segment_ || triedSegment_) return segment_ != 0;
        triedSegment_ = true;
        if (!sharesMemory(c_)) return false;
        const int id = shmget(IPC_PRIVATE, 2 * kHalfBytes, IPC_CREAT | 0600);
        if (id < 0) return false;
        void* memory = shmat(id, nullptr, 0);
        const uint32_t segment = xcb_generate_id(c_);
        xcb_generic_error_t* error =
            memory == reinterpret_cast<void*>(-1) ? nullptr
                                                  : xcb_request_check(c_, xcb_shm_attach_checked(c_, segment, id, 1));
        // Once both sides are attached, the segment goes when both have let go.
        shmctl(id, IPC_RMID, nullptr);
        if (memory == reinterpret_cast<void*>(-1)) return false;
        if (error) {
            std::free(error);
            shmdt(memory);
            return false;
        }
        memory_ = static_cast<uint8_t*>(memory);
        segment_ = segment;
        return true;
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
    xcb_window_t id_;
    uint32_t gc_;
    PixelLayout layout_;
    uint8_t depth_;
    size_t padBytes_;
    bool triedSegment_ = false;
    uint32_t segment_ = 0;
    uint8_t* memory_ = nullptr;
    // The request after the last image sent from each half: the server has
    // read the half once it answers.
    std::array<std::optional<unsigned int>, 2> fences_;
    int half_ = 0;
    size_t used_ = 0;
};

void ServerDrawing::paintOnScreen(QWidget& widget, bool on) {
    widget.setAttribute(Qt::WA_NativeWindow, on);
    widget.setAttribute(Qt::WA_PaintOnScreen, on);
    widget.setAttribute(Qt::WA_NoSystemBackground, on);
}

bool ServerDrawing::possible(PixelLayout layout) {
    xcb_connection_t* c = connection();
    const xcb_screen_t* screen = c ? defaultScreen(c) : nullptr;
    return screen && scanlinePad(c, screen, screen->root_visual, screen->root_depth, layout);
}

ServerDrawing::ServerDrawing() = default;
ServerDrawing::~ServerDrawing() = default;

bool ServerDrawing::begin(const QWidget& widget, PixelLayout layout) {
    const auto id = static_cast<xcb_window_t>(widget.internalWinId());
    if (window_ && window_->id() == id && window_->layout() == layout) return true;
    window_.reset();
    xcb_connection_t* c = connection();
    if (!c || !id) return false;
    // The window's own visual and depth: Qt may have made it with others than the screen's.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    std::optional<int> pad;
    if (attributes && geometry)
        pad = scanlinePad(c, screenWithRoot(c, geometry->root), attributes->visual, geometry->depth, layout);
    std::free(attributes);
    std::free(geometry);
    if (pad) window_ = std::make_unique<Window>(c, id, layout, *pad);
    return window_ != nullptr;
}

bool ServerDrawing::sentThisTurn(const QRegion& area) {
    if ((area - sent_).isEmpty()) return true;
    if (sent_.isEmpty()) QTimer::singleShot(0, &turn_, [this] { sent_ = QRegion(); });
    sent_ += area;
    return false;
}

void ServerDrawing::fill(const QRegion& area, uint32_t pixel) { window_->fill(area, pixel); }

void ServerDrawing::put(const PixelRows& rows, const QRect& area, const QPoint& at) { window_->put(rows, area, at); }

}  // namespace lumeye::display
