#include "ui/StdPicture.h"

#include "ui/DeviceBitmap.h"

#include <QImageReader>

namespace lumeye::ui {

StdPicture::StdPicture(const QImage& image) : image_(image) {
    const QList<QRgb> table = image.colorTable();
    if (table.isEmpty()) return;
    std::vector<PaletteEntry> entries;
    entries.reserve(size_t(table.size()));
    for (QRgb c : table) entries.push_back(PaletteEntry{uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 0});
    palette_ = std::make_shared<LogicalPalette>(std::move(entries));
}

StdPicture::StdPicture(const DeviceBitmap& bitmap) : image_(bitmap.toImage()) {
    if (bitmap.layout() != PixelLayout::Indexed8) return;
    const auto& system = SystemPalette::entries();
    palette_ = std::make_shared<LogicalPalette>(std::vector<PaletteEntry>(system.begin(), system.end()));
}

StdPicture StdPicture::load(const QString& path) {
    QImageReader reader(path);
    return StdPicture(reader.read());
}

}  // namespace lumeye::ui
