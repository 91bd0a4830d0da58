#include "print/Dib.h"

#include "core/Numeric.h"
#include "ui/Palette.h"

#include <QColor>

namespace lumeye::print {
namespace {
// A 4-bit DIB's colour table: the standard colours, in their index order.
using ui::kStandardColours;
static_assert(kStandardColours.size() == Dib4::kColours);

void put16(uint8_t* at, int16_t value) {
    const auto v = static_cast<uint16_t>(value);
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* at, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
int16_t get16(const uint8_t* at) { return static_cast<int16_t>(at[0] | (at[1] << 8)); }
int32_t get32(const uint8_t* at) {
    return static_cast<int32_t>(uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) |
                                (uint32_t(at[3]) << 24));
}

}  // namespace

int32_t Dib4::width() const { return get32(&info[4]); }
int32_t Dib4::height() const { return get32(&info[8]); }
int16_t Dib4::bitCount() const { return get16(&info[14]); }

int32_t dibRowLength4(int32_t width) {
    const auto bytes = static_cast<int32_t>(roundHalfEven((width + 1) / 2.0));
    return (bytes + 3) / 4 * 4;
}

Dib4 toDib4(const QImage& picture) {
    Dib4 dib;
    const int32_t width = picture.width();
    const int32_t height = picture.height();
    uint8_t* header = dib.info.data();
    put32(header + 0, Dib4::kHeaderSize);
    put32(header + 4, width);
    put32(header + 8, height); // positive: rows stored bottom-up
    put16(header + 12, 1);     // planes
    put16(header + 14, 4);     // bits per pixel; compression, sizes and counts stay 0
    for (int i = 0; i < Dib4::kColours; ++i) {
        uint8_t* quad = header + Dib4::kHeaderSize + 4 * i;
        quad[0] = static_cast<uint8_t>(qBlue(kStandardColours[i]));
        quad[1] = static_cast<uint8_t>(qGreen(kStandardColours[i]));
        quad[2] = static_cast<uint8_t>(qRed(kStandardColours[i]));
    }

    const int32_t rowLength = dibRowLength4(width);
    dib.bits.assign(static_cast<size_t>(rowLength) * height, 0);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = dib.bits.data() + static_cast<size_t>(height - 1 - y) * rowLength;
        for (int32_t x = 0; x < width; ++x) {
            const auto index = static_cast<uint8_t>(ui::nearestStandardColour(picture.pixel(x, y)));
            row[x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(index << 4) : index;
        }
    }
    return dib;
}

QImage toImage(const Dib4& dib) {
    const int32_t width = dib.width();
    const int32_t height = dib.height();
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < Dib4::kColours; ++i) {
        const uint8_t* quad = dib.info.data() + Dib4::kHeaderSize + 4 * i;
        table.append(qRgb(quad[2], quad[1], quad[0]));
    }
    image.setColorTable(table);
    const int32_t rowLength = dibRowLength4(width);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = dib.bits.data() + static_cast<size_t>(height - 1 - y) * rowLength;
        uchar* line = image.scanLine(y);
        for (int32_t x = 0; x < width; ++x)
            line[x] = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
    }
    return image;
}

}  // namespace lumeye::print
