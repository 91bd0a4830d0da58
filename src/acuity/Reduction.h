#pragma once

#include "bitmap/PixelArray.h"

#include <cstdint>
#include <string>

// The area-averaging reduction that turns a 300 x 300 master E into a letter
// of any size: every target pixel is the mean of the source pixels under it.
namespace lumeye::acuity {

// Source and target origins and the target pixels per source pixel.
struct ReduceParams {
    double SrcLeft = 0;
    double SrcTop = 0;
    double DstLeft = 0;
    double DstTop = 0;
    double ReduceScaleX = 1;
    double ReduceScaleY = 1;
};

// The scale divides the target size by one less than the source size, so the
// source's last row and column are never read. A source one pixel wide or high
// is a division by zero (lumeye::Error, naming errorSource as its routine).
ReduceParams MakeReduceParams(float srcLeft, float srcTop, float srcWidth, float srcHeight, float dstLeft,
                              float dstTop, float dstWidth, float dstHeight, const std::string& errorSource);

// The source columns (or rows) that target column (or row) t takes, first to
// last, both included. When the target is larger than the source, a target
// pixel can fall inside one source pixel: its box would be empty, and it takes
// that pixel (the nearest) instead.
struct SourceSpan {
    int16_t first;
    double last;
};
SourceSpan SourceSpanFor(int t, double dstOrigin, double scale, double srcOrigin, const std::string& errorSource);

// Every pixel of target gets, channel by channel, the mean of its box of
// source pixels, rounded halves to even. Channels keep the source's ranges, so
// this works for every display depth. Boxes are clipped to the source array.
void AveragePixels(const PixelArray& source, PixelArray& target, const ReduceParams& params,
                   const std::string& errorSource);

}  // namespace lumeye::acuity
