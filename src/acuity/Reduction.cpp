#include "acuity/Reduction.h"

#include "core/Numeric.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumeye::acuity {
namespace {
constexpr const char* kSource = "snellen1.AveragePixels";

struct Box {
    int first;
    int last;
};

Box clip(const SourceSpan& span, int size) {
    const int first = std::clamp<int>(span.first, 0, size - 1);
    const int last = std::clamp<int>(static_cast<int>(span.last), first, size - 1);
    return {first, last};
}
}  // namespace

ReduceParams MakeReduceParams(float srcLeft, float srcTop, float srcWidth, float srcHeight, float dstLeft,
                              float dstTop, float dstWidth, float dstHeight) {
    ReduceParams p;
    p.SrcLeft = srcLeft;
    p.SrcTop = srcTop;
    p.DstLeft = dstLeft;
    p.DstTop = dstTop;
    p.ReduceScaleX = divide(dstWidth, static_cast<double>(srcWidth) - 1, "snellen1.ReducePicture");
    p.ReduceScaleY = divide(dstHeight, static_cast<double>(srcHeight) - 1, "snellen1.ReducePicture");
    return p;
}

SourceSpan SourceSpanFor(int t, double dstOrigin, double scale, double srcOrigin) {
    const double first = std::floor((t - dstOrigin) / scale + srcOrigin);
    SourceSpan span{checkedInt16(static_cast<int64_t>(first), kSource),
                    std::floor((t + 1 - dstOrigin) / scale + srcOrigin) - 1};
    if (span.last < span.first) span.last = span.first;
    return span;
}

void AveragePixels(const PixelArray& source, PixelArray& target, const ReduceParams& params) {
    if (source.width() == 0 || source.height() == 0) return;
    const int16_t lastRow = checkedInt16(target.height() - 1, kSource);
    const int16_t lastColumn = checkedInt16(target.width() - 1, kSource);
    std::vector<Box> columnBoxes;
    for (int x = 0; x <= lastColumn; ++x)
        columnBoxes.push_back(
            clip(SourceSpanFor(x, params.DstLeft, params.ReduceScaleX, params.SrcLeft), source.width()));
    for (int y = 0; y <= lastRow; ++y) {
        const Box rows = clip(SourceSpanFor(y, params.DstTop, params.ReduceScaleY, params.SrcTop), source.height());
        for (int x = 0; x <= lastColumn; ++x) {
            const Box& columns = columnBoxes[x];
            double blue = 0, green = 0, red = 0;
            for (int sy = rows.first; sy <= rows.last; ++sy) {
                const PixelTriple* row = source.row(sy);
                for (int sx = columns.first; sx <= columns.last; ++sx) {
                    blue += row[sx].Blue;
                    green += row[sx].Green;
                    red += row[sx].Red;
                }
            }
            const double n = static_cast<double>(columns.last - columns.first + 1) * (rows.last - rows.first + 1);
            PixelTriple& out = target(x, y);
            out.Blue = toByte(blue / n, kSource);
            out.Green = toByte(green / n, kSource);
            out.Red = toByte(red / n, kSource);
        }
    }
}

}  // namespace lumeye::acuity
