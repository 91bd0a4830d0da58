#include "ui/DeviceBitmap.h"

#include "ui/Palette.h"
#include "ui/Rgb16.h"
#include "ui/Screen.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace lumeye::ui {
namespace {
// 5 and 6-bit channels widen by repeating their top bits, so full scale is 255
// and the narrowing below gives back the stored value.
inline int widen5(unsigned v) { return int((v << 3) | (v >> 2)); }
inline int widen6(unsigned v) { return int((v << 2) | (v >> 4)); }

// The pixel format of one layout: stored values read and written, and turned
// into colours and back. The palette layouts look colours up through a
// per-call cache, since pictures repeat few colours many times.
class PixelFormat {
public:
    explicit PixelFormat(PixelLayout layout) : layout_(layout), system_(SystemPalette::colours()) {}

    uint32_t load(const uint8_t* row, int x) const {
        switch (layout_) {
        case PixelLayout::Mono1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case PixelLayout::Vga4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
        case PixelLayout::Indexed8: return row[x];
        case PixelLayout::Rgb555:
        case PixelLayout::Rgb565: return rgb16::wordAt(row, x);
        case PixelLayout::Bgr24: return uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x + 2]) << 16);
        case PixelLayout::Bgrx32: return uint32_t(row[4 * x]) | (uint32_t(row[4 * x + 1]) << 8) | (uint32_t(row[4 * x + 2]) << 16);
        }
        return 0;
    }

    void store(uint8_t* row, int x, uint32_t v) const {
        switch (layout_) {
        case PixelLayout::Mono1: {
            const uint8_t mask = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = v ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
            break;
        }
        case PixelLayout::Vga4: {
            const int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = uint8_t((row[x >> 1] & ~(15 << shift)) | ((v & 15) << shift));
            break;
        }
        case PixelLayout::Indexed8: row[x] = uint8_t(v); break;
        case PixelLayout::Rgb555:
        case PixelLayout::Rgb565: rgb16::putWord(row, x, v); break;
        case PixelLayout::Bgr24:
            row[3 * x] = uint8_t(v);
            row[3 * x + 1] = uint8_t(v >> 8);
            row[3 * x + 2] = uint8_t(v >> 16);
            break;
        case PixelLayout::Bgrx32:
            row[4 * x] = uint8_t(v);
            row[4 * x + 1] = uint8_t(v >> 8);
            row[4 * x + 2] = uint8_t(v >> 16);
            row[4 * x + 3] = 0;
            break;
        }
    }

    QRgb decode(uint32_t v) const {
        switch (layout_) {
        case PixelLayout::Mono1: return v ? 0xFFFFFFFFu : 0xFF000000u;
        case PixelLayout::Vga4: return kStandardColours[v & 15];
        case PixelLayout::Indexed8: return 0xFF000000u | system_[v & 255];
        case PixelLayout::Rgb555: return qRgb(widen5((v >> 10) & 31), widen5((v >> 5) & 31), widen5(v & 31));
        case PixelLayout::Rgb565: return qRgb(widen5((v >> 11) & 31), widen6((v >> 5) & 63), widen5(v & 31));
        case PixelLayout::Bgr24:
        case PixelLayout::Bgrx32: return 0xFF000000u | (v & 0xFFFFFF);
        }
        return 0;
    }

    uint32_t encode(QRgb c) {
        const uint32_t r = qRed(c), g = qGreen(c), b = qBlue(c);
        switch (layout_) {
        case PixelLayout::Rgb555: return rgb16::pack555(r >> 3, g >> 3, b >> 3);
        case PixelLayout::Rgb565: return rgb16::pack565(r >> 3, g >> 2, b >> 3);
        case PixelLayout::Bgr24:
        case PixelLayout::Bgrx32: return c & 0xFFFFFF;
        default: break;
        }
        c &= 0xFFFFFF;
        if (c == lastColour_ && haveLast_) return lastValue_;
        uint32_t v;
        if (auto it = cache_.find(c); it != cache_.end()) {
            v = it->second;
        } else {
            if (layout_ == PixelLayout::Mono1) {
                const uint32_t toBlack = r * r + g * g + b * b;
                const uint32_t toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
                v = toWhite <= toBlack ? 1 : 0;
            }
            else if (layout_ == PixelLayout::Vga4) v = uint32_t(nearestStandardColour(c));
            else v = SystemPalette::nearestIndex(c);
            cache_.emplace(c, v);
        }
        lastColour_ = c;
        lastValue_ = v;
        haveLast_ = true;
        return v;
    }

private:
    PixelLayout layout_;
    const std::array<QRgb, SystemPalette::kSize>& system_;
    std::unordered_map<QRgb, uint32_t> cache_;
    QRgb lastColour_ = 0;
    uint32_t lastValue_ = 0;
    bool haveLast_ = false;
};

QRect bounds(const DeviceBitmap& b) { return QRect(0, 0, b.width(), b.height()); }
}  // namespace

int32_t widthBytesOf(PixelLayout layout, int32_t width) {
    const int64_t bits = int64_t(width) * bitsPixelOf(layout);
    return int32_t((bits + 15) / 16 * 2);
}

uint32_t pixelValueOf(PixelLayout layout, QRgb colour) { return PixelFormat(layout).encode(colour); }

PixelLayout layoutForDisplay(const ScreenInfo& screen) {
    const int depth = screen.depth;
    if (depth <= 1) return PixelLayout::Mono1;
    if (depth <= 4) return PixelLayout::Vga4;
    if (depth <= 8) return PixelLayout::Indexed8;
    if (depth == 15) return PixelLayout::Rgb555;
    if (depth <= 16) return PixelLayout::Rgb565;
    if (depth == 24 && screen.bitsPerPixel == 24) return PixelLayout::Bgr24;
    return PixelLayout::Bgrx32;
}

DeviceBitmap::DeviceBitmap(int width, int height, PixelLayout layout)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), layout_(layout),
      widthBytes_(widthBytesOf(layout, width_)), bits_(size_t(widthBytes_) * size_t(height_)) {}

QRgb DeviceBitmap::pixel(int x, int y) const {
    const PixelFormat format(layout_);
    return format.decode(format.load(scanLine(y), x));
}

void DeviceBitmap::setPixel(int x, int y, QRgb colour) {
    PixelFormat format(layout_);
    format.store(scanLine(y), x, format.encode(colour));
}

void DeviceBitmap::fill(QRgb colour) { fillRect(bounds(*this), colour); }

void DeviceBitmap::fillRect(const QRect& area, QRgb colour) {
    const QRect r = area.intersected(bounds(*this));
    if (r.isEmpty()) return;
    PixelFormat format(layout_);
    const uint32_t v = format.encode(colour);
    const int bits = bitsPixelOf(layout_);
    if (bits < 8) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            uint8_t* row = scanLine(y);
            for (int x = r.left(); x <= r.right(); ++x) format.store(row, x, v);
        }
        return;
    }
    // Whole bytes per pixel: the area's first row is filled pixel by pixel,
    // the others are copies of it (a cleared canvas is megabytes).
    uint8_t* first = scanLine(r.top());
    for (int x = r.left(); x <= r.right(); ++x) format.store(first, x, v);
    const size_t offset = size_t(r.left()) * size_t(bits / 8);
    const size_t span = size_t(r.width()) * size_t(bits / 8);
    for (int y = r.top() + 1; y <= r.bottom(); ++y) std::memcpy(scanLine(y) + offset, first + offset, span);
}

QImage DeviceBitmap::toImage(const QRect& area) const {
    const QRect r = area.intersected(bounds(*this));
    QImage out(r.size(), QImage::Format_RGB32);
    if (r.isEmpty()) return out;
    const PixelFormat format(layout_);
    for (int y = 0; y < r.height(); ++y) {
        const uint8_t* row = scanLine(r.top() + y);
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (layout_ == PixelLayout::Bgrx32) {
            // Blue, green, red, unused read as one little-endian word is 0xXXRRGGBB.
            const uint8_t* src = row + 4 * r.left();
            for (int x = 0; x < r.width(); ++x) {
                uint32_t word;
                std::memcpy(&word, src + 4 * x, 4);
                dst[x] = 0xFF000000u | word;
            }
        } else {
            for (int x = 0; x < r.width(); ++x) dst[x] = format.decode(format.load(row, r.left() + x));
        }
    }
    return out;
}

void DeviceBitmap::drawImage(const QPoint& at, const QImage& image) {
    const QRect target = QRect(at, image.size()).intersected(bounds(*this));
    if (target.isEmpty()) return;
    // One-bit pictures (the letters' masters) are read through their two
    // colours, a row at a time, rather than converted whole each time.
    const bool oneBit = (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) &&
                        image.colorCount() >= 2;
    const QImage src = (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 || oneBit)
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    PixelFormat format(layout_);
    const int sx = target.left() - at.x();
    const int sy = target.top() - at.y();
    std::vector<QRgb> expanded(oneBit ? size_t(target.width()) : 0);
    const bool msbFirst = src.format() == QImage::Format_Mono;
    const QRgb colours[2] = {oneBit ? src.color(0) : 0, oneBit ? src.color(1) : 0};
    for (int y = 0; y < target.height(); ++y) {
        const QRgb* from = expanded.data();
        if (oneBit) {
            const uchar* bits = src.constScanLine(sy + y);
            for (int x = 0; x < target.width(); ++x) {
                const int bit = sx + x;
                const int shift = msbFirst ? 7 - (bit & 7) : bit & 7;
                expanded[size_t(x)] = colours[(bits[bit >> 3] >> shift) & 1];
            }
        } else {
            from = reinterpret_cast<const QRgb*>(src.constScanLine(sy + y)) + sx;
        }
        uint8_t* row = scanLine(target.top() + y);
        if (layout_ == PixelLayout::Bgrx32) {
            uint8_t* to = row + 4 * target.left();
            for (int x = 0; x < target.width(); ++x) {
                const uint32_t word = from[x] & 0xFFFFFF;
                std::memcpy(to + 4 * x, &word, 4);
            }
        } else {
            for (int x = 0; x < target.width(); ++x) format.store(row, target.left() + x, format.encode(from[x]));
        }
    }
}

void DeviceBitmap::drawBitmap(const QPoint& at, const DeviceBitmap& bitmap) {
    const int bits = bitsPixelOf(layout_);
    if (bitmap.layout_ != layout_ || bits < 8) {
        drawImage(at, bitmap.toImage());
        return;
    }
    const QRect target = QRect(at, QSize(bitmap.width_, bitmap.height_)).intersected(bounds(*this));
    if (target.isEmpty()) return;
    const size_t bytes = size_t(target.width()) * size_t(bits / 8);
    const size_t from = size_t(target.left() - at.x()) * size_t(bits / 8);
    const size_t to = size_t(target.left()) * size_t(bits / 8);
    for (int y = 0; y < target.height(); ++y)
        std::memcpy(scanLine(target.top() + y) + to, bitmap.scanLine(target.top() - at.y() + y) + from, bytes);
}

DeviceBitmap DeviceBitmap::resized(int width, int height, PixelLayout layout, QRgb fill) const {
    DeviceBitmap out(width, height, layout);
    out.fill(fill);
    const QRect overlap = bounds(*this).intersected(bounds(out));
    if (overlap.isEmpty()) return out;
    if (layout == layout_ && bitsPixelOf(layout) >= 8) {
        const size_t bytes = size_t(overlap.width()) * size_t(bitsPixelOf(layout) / 8);
        for (int y = 0; y < overlap.height(); ++y) std::memcpy(out.scanLine(y), scanLine(y), bytes);
    } else {
        out.drawImage(QPoint(0, 0), toImage(overlap));
    }
    return out;
}

int32_t GetObject(const DeviceBitmap& bitmap, BITMAP& record) {
    record = BITMAP{};
    record.bmWidth = bitmap.width();
    record.bmHeight = bitmap.height();
    record.bmWidthBytes = bitmap.widthBytes();
    record.bmBitsPixel = int16_t(bitmap.bitsPixel());
    return int32_t(sizeof(BITMAP));
}

int32_t GetBitmapBits(const DeviceBitmap& bitmap, int32_t count, void* buffer) {
    const int64_t n = std::clamp<int64_t>(count, 0, bitmap.byteCount());
    if (n > 0) std::memcpy(buffer, bitmap.bits(), size_t(n));
    return int32_t(n);
}

int32_t SetBitmapBits(DeviceBitmap& bitmap, int32_t count, const void* buffer) {
    const int64_t n = std::clamp<int64_t>(count, 0, bitmap.byteCount());
    if (n > 0) std::memcpy(bitmap.bits(), buffer, size_t(n));
    return int32_t(n);
}

}  // namespace lumeye::ui
