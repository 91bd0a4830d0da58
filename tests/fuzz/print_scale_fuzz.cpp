// The card's place on a page of any printable size: the scale is the nearest
// whole number to the times the picture fits across (fewer when the page is
// short), a scale below 2 draws nothing, and what is drawn lies inside the
// printable area, below the band as tall as the picture. A page size that
// makes no sense (zero or negative) draws nothing or raises an arithmetic
// error; it never gives undefined behaviour.
#include "FuzzInput.h"

#include "../unit/PrintTestPages.h"

#include "core/Error.h"
#include "print/PrintPicture.h"
#include "print/PrintScale.h"

#include <QImage>

#include <cmath>

using namespace lumeye;

namespace {
// The card picture's size; other picture sizes come from the input too.
constexpr int32_t kCard = 300;

void checkPlacement(int32_t horzRes, int32_t vertRes, int32_t width, int32_t height) {
    std::optional<QRect> placed;
    try {
        placed = print::cardPlacement(horzRes, vertRes, width, height, "Picprint.PrintPicture");
    } catch (const Error& e) {
        FUZZ_CHECK(e.number() == ErrorNumber::DivisionByZero || e.number() == ErrorNumber::Overflow);
        FUZZ_CHECK(e.source() == "Picprint.PrintPicture");
        return;
    }
    const bool sensible = horzRes > 0 && vertRes > 0 && width > 0 && height > 0;
    if (!placed || !sensible) return;
    const int32_t scale = print::printScale(horzRes, vertRes, width, height, "Picprint.PrintPicture");
    FUZZ_CHECK(scale >= 2);
    FUZZ_CHECK(scale <= std::lround(double(horzRes) / width) + 1);
    FUZZ_CHECK(placed->x() == 0 && placed->y() == height + print::kCardTopGap);
    FUZZ_CHECK(std::abs(placed->width() - double(width) * scale / 2) <= 0.5);
    FUZZ_CHECK(std::abs(placed->height() - double(height) * scale / 2) <= 0.5);
    FUZZ_CHECK(int64_t(placed->x()) + placed->width() <= horzRes);
    FUZZ_CHECK(int64_t(placed->y()) + placed->height() <= vertRes);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const auto horzRes = input.integer<int32_t>();
    const auto vertRes = input.integer<int32_t>();
    const auto width = input.integer<int32_t>();
    const auto height = input.integer<int32_t>();

    checkPlacement(horzRes, vertRes, kCard, kCard);
    checkPlacement(horzRes, vertRes, width, height);

    // The rendering itself, of a small picture (a 300 x 300 one costs a
    // thousand times more to convert), on a page that records what is drawn.
    QImage picture(int(input.inRange(1, 12)), int(input.inRange(1, 12)), QImage::Format_Grayscale8);
    picture.fill(input.byte());
    print::testing::RecordingPage page(horzRes, vertRes);
    try {
        print::PrintPicture(picture, page);
    } catch (const Error&) {
        return 0;
    }
    FUZZ_CHECK(page.stretches.size() <= 1);
    for (const auto& stretch : page.stretches) {
        FUZZ_CHECK(stretch.target.left() >= 0 && stretch.target.top() >= 0);
        FUZZ_CHECK(int64_t(stretch.target.x()) + stretch.target.width() <= horzRes);
        FUZZ_CHECK(int64_t(stretch.target.y()) + stretch.target.height() <= vertRes);
        FUZZ_CHECK(stretch.dib.width() == picture.width() && stretch.dib.height() == picture.height());
    }
    return 0;
}
