#pragma once

#include "print/Dib.h"
#include "print/PageSurface.h"

#include <QImage>
#include <QPainter>

#include <vector>

namespace lumeye::print::testing {

// A page that only records what is stretched onto it: large enough pages
// for the real printer sizes without the memory of their pixels.
class RecordingPage : public PageSurface {
public:
    struct Stretch {
        QRect target;
        Dib4 dib;
    };

    RecordingPage(int32_t horzRes, int32_t vertRes) : horzRes_(horzRes), vertRes_(vertRes) {}
    int32_t HorzRes() const override { return horzRes_; }
    int32_t VertRes() const override { return vertRes_; }
    void StretchDIBits(const QRect& target, const Dib4& dib) override { stretches.push_back({target, dib}); }

    std::vector<Stretch> stretches;

private:
    int32_t horzRes_;
    int32_t vertRes_;
};

// A page in memory: white device pixels that stretches paint on, without
// smoothing, as a printer driver does.
class ImagePage final : public RecordingPage {
public:
    ImagePage(int32_t horzRes, int32_t vertRes)
        : RecordingPage(horzRes, vertRes), image(horzRes, vertRes, QImage::Format_RGB32) {
        image.fill(Qt::white);
    }
    void StretchDIBits(const QRect& target, const Dib4& dib) override {
        RecordingPage::StretchDIBits(target, dib);
        QPainter painter(&image);
        painter.drawImage(target, toImage(dib));
    }

    QImage image;
};

}  // namespace lumeye::print::testing
