#pragma once

#include "ui/Palette.h"

#include <QImage>
#include <QString>

#include <memory>

namespace lumeye::ui {

class DeviceBitmap;

// A picture as a picture box displays it: an image and, when the picture
// brings one, its logical palette. Copies share the palette, as copies of one
// picture handle would.
class StdPicture {
public:
    // No picture: no image, no palette.
    StdPicture() = default;
    // A loaded picture; an indexed image brings its colour table as palette.
    explicit StdPicture(const QImage& image);
    // A snapshot of a box's persistent image. On an 8-bit layout it carries a
    // copy of the system palette, as a picture taken from the screen does;
    // other layouts carry none.
    explicit StdPicture(const DeviceBitmap& bitmap);

    // Loads a picture file (resources too, ":/..."); a null picture when the
    // file cannot be read.
    static StdPicture load(const QString& path);

    bool isNull() const { return image_.isNull(); }
    int width() const { return image_.width(); }  // pixels
    int height() const { return image_.height(); } // pixels
    // The image as loaded (format, colour table and resolution kept).
    const QImage& image() const { return image_; }
    // The palette handle; null when the picture has none.
    HPALETTE hPal() const { return palette_.get(); }

private:
    QImage image_;
    std::shared_ptr<LogicalPalette> palette_;
};

}  // namespace lumeye::ui
