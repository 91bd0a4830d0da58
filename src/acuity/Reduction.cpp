#include "acuity/Reduction.h"

#include "core/Numeric.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace lumeye::acuity {
namespace {
struct Box {
    int first;
    int last;
};

Box clip(const SourceSpan& span, int size) {
    const int first = std::clamp<int>(span.first, 0, size - 1);
    const int last = std::clamp<int>(static_cast<int>(span.last), first, size - 1);
    return {first, last};
}

// Adds a run of bytes to as many sums.
void addBytes(uint32_t* __restrict sums, const uint8_t* __restrict bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) sums[i] += bytes[i];
}

uint8_t meanOfBox(uint64_t sum, uint64_t count) {
    // A box of one pixel is that pixel. Other means round halves to even,
    // as roundHalfEven does; the mean is never negative, so truncation is
    // its floor and the fraction is exact. The mean of bytes is a byte.
    if (count == 1) return static_cast<uint8_t>(sum);
    const double mean = static_cast<double>(sum) / static_cast<double>(count);
    const auto whole = static_cast<uint32_t>(mean);
    const double fraction = mean - whole;
    if (fraction < 0.5) return static_cast<uint8_t>(whole);
    if (fraction > 0.5) return static_cast<uint8_t>(whole + 1);
    return static_cast<uint8_t>(whole % 2 == 0 ? whole : whole + 1);
}
}  // namespace

ReduceParams MakeReduceParams(float srcLeft, float srcTop, float srcWidth, float srcHeight, float dstLeft,
                              float dstTop, float dstWidth, float dstHeight, const std::string& errorSource) {
    ReduceParams p;
    p.SrcLeft = srcLeft;
    p.SrcTop = srcTop;
    p.DstLeft = dstLeft;
    p.DstTop = dstTop;
    p.ReduceScaleX = divide(dstWidth, static_cast<double>(srcWidth) - 1, errorSource);
    p.ReduceScaleY = divide(dstHeight, static_cast<double>(srcHeight) - 1, errorSource);
    return p;
}

SourceSpan SourceSpanFor(int t, double dstOrigin, double scale, double srcOrigin, const std::string& errorSource) {
    const double first = std::floor((t - dstOrigin) / scale + srcOrigin);
    SourceSpan span{checkedInt16(static_cast<int64_t>(first), errorSource),
                    std::floor((t + 1 - dstOrigin) / scale + srcOrigin) - 1};
    if (span.last < span.first) span.last = span.first;
    return span;
}

void AveragePixels(const PixelArray& source, PixelArray& target, const ReduceParams& params,
                   const std::string& errorSource) {
    if (source.width() == 0 || source.height() == 0) return;
    const int16_t lastRow = checkedInt16(target.height() - 1, errorSource);
    const int16_t lastColumn = checkedInt16(target.width() - 1, errorSource);
    if (lastRow < 0 || lastColumn < 0) return;
    std::vector<Box> columnBoxes;
    columnBoxes.reserve(static_cast<size_t>(lastColumn) + 1);
    for (int x = 0; x <= lastColumn; ++x)
        columnBoxes.push_back(
            clip(SourceSpanFor(x, params.DstLeft, params.ReduceScaleX, params.SrcLeft, errorSource), source.width()));
    // Only the source columns that some box takes are summed.
    int firstColumn = columnBoxes.front().first, endColumn = columnBoxes.front().last;
    for (const Box& b : columnBoxes) {
        firstColumn = std::min(firstColumn, b.first);
        endColumn = std::max(endColumn, b.last);
    }
    const int columnCount = endColumn - firstColumn + 1;

    // Sums are kept in integers, which add up bytes exactly as the 64-bit
    // float sums of the rule do. For each target row, the source rows of its
    // box are first added up column by column (every sampled source pixel
    // read once, a contiguous run of bytes), and those column sums are run
    // up from the left; a target pixel's box sum is then the difference of
    // two running sums.
    const size_t sumCount = static_cast<size_t>(columnCount) * 3;
    std::vector<uint32_t> columnSums(sumCount);
    std::vector<uint64_t> runningSums(sumCount + 3);
    for (int y = 0; y <= lastRow; ++y) {
        const Box rows =
            clip(SourceSpanFor(y, params.DstTop, params.ReduceScaleY, params.SrcTop, errorSource), source.height());
        std::fill(columnSums.begin(), columnSums.end(), 0u);
        for (int sy = rows.first; sy <= rows.last; ++sy)
            addBytes(columnSums.data(), reinterpret_cast<const uint8_t*>(source.row(sy) + firstColumn), sumCount);
        for (size_t i = 0; i < sumCount; ++i) runningSums[i + 3] = runningSums[i] + columnSums[i];

        const uint64_t boxHeight = static_cast<uint64_t>(rows.last - rows.first + 1);
        PixelTriple* out = target.row(y);
        for (int x = 0; x <= lastColumn; ++x) {
            const Box& columns = columnBoxes[x];
            const uint64_t* before = runningSums.data() + static_cast<size_t>(columns.first - firstColumn) * 3;
            const uint64_t* through = runningSums.data() + static_cast<size_t>(columns.last + 1 - firstColumn) * 3;
            const uint64_t n = static_cast<uint64_t>(columns.last - columns.first + 1) * boxHeight;
            out[x] = PixelTriple{meanOfBox(through[0] - before[0], n), meanOfBox(through[1] - before[1], n),
                                 meanOfBox(through[2] - before[2], n)};
        }
    }
}

}  // namespace lumeye::acuity
