#include "acuity/ChartLayout.h"

#include "acuity/Directions.h"
#include "core/Numeric.h"

#include <algorithm>

namespace lumeye::acuity {
namespace {
constexpr const char* kLabels[kMaxRows + 1] = {"",      "6 / 60", "6 / 36", "6 / 24", "6 / 18",
                                               "6 / 12", "6 / 9",  "6 / 6",  "6 / 5"};
constexpr int16_t kNudges[kMaxRows + 1] = {0, 0, 25, 33, 39, 20, 6, -15, -22};

// Rows 1 to 4 each have their own letter gap; the rows below keep row 4's.
constexpr int kLastOwnGapRow = 4;

// Both passes size every letter and draw its direction, so that the first
// chart continues the random sequence after the measuring pass; only
// painting reduces the letters and puts them, the labels and the marker on
// the canvas, and only measuring adds up the chart's height.
enum class Pass { Measure, Paint };

ChartOutcome walk(const ChartInputs& chart, ChartCanvas& canvas, Pass pass, const std::string& errorSource) {
    const bool paint = pass == Pass::Paint;
    ChartOutcome out;
    out.LineCount = LineCountFor(chart.ScreenHeightMM);
    double y = paint ? FirstRowTop(chart.ScreenHeightMM, chart.PixelsPerMMY, errorSource) : 0.0;
    int16_t previous = 0;  // a pass's first letter may open any way
    const auto next = [&canvas] { return canvas.NextRandom(); };
    for (int r = std::max<int>(1, chart.FirstLine); r <= out.LineCount; ++r) {
        const double size = chart.LineSizes[r];
        double x = RowStartX(chart.FullScreenX, chart.PixelsPerMMX * size, r);
        const double rowGap = RowGap(r, chart.PixelsPerMMY, chart.LineSizes);
        const double letterGap = LetterGap(r, chart.PixelsPerMMX, chart.LineSizes);
        ChartCanvas::Size letter{0, 0};
        for (int i = 0; i < r; ++i) {
            out.LetterWidth = chart.PixelsPerMMX * size;
            out.LetterHeight = chart.PixelsPerMMY * size;
            canvas.SizeResultPicture(out.LetterWidth, out.LetterHeight);
            if (canvas.stopped()) return out;
            previous = DrawDirection(previous, next);
            if (!paint) {
                letter = canvas.LetterSize();
            } else {
                letter = canvas.ReduceLetter(previous);
                canvas.PaintLetter(static_cast<float>(x), static_cast<float>(y), letter);
                canvas.DoEvents();
                if (canvas.stopped()) return out;
            }
            x = letter.width + x + letterGap;
        }
        if (!paint) {
            out.chartHeight = letter.height + out.chartHeight + rowGap;
            continue;
        }
        y = letter.height + y + rowGap;
        canvas.PrintLabel(kLabelLeft, LabelTop(y, letter.height, rowGap), RowLabel(r));
        if (r == kMarkerRow) {
            canvas.DrawMarker(MarkerLineBelow(y, rowGap, chart.FullWidth, errorSource));
            canvas.DoEvents();
            if (canvas.stopped()) return out;
        }
    }
    out.completed = true;
    return out;
}
}  // namespace

ChartKey ChartKeyAction(int keyCode) {
    constexpr int kEnter = 13;
    constexpr int kEscape = 27;
    constexpr int kSpace = 32;
    switch (keyCode) {
    case kEnter:
    case kSpace: return ChartKey::NewChart;
    case kEscape: return ChartKey::Leave;
    default: return ChartKey::Ignored;
    }
}

int16_t LineCountFor(int16_t screenHeightMM) {
    int16_t count = screenHeightMM >= 220 ? 8 : 7;
    if (screenHeightMM < 205) count = 6;
    return count;
}

int16_t AssumedChartHeightMM(int16_t lineCount) {
    switch (lineCount) {
    case 8: return 211;
    case 7: return 196;
    default: return 181;
    }
}

double FirstRowTop(int16_t screenHeightMM, double pixelsPerMMY, const std::string& errorSource) {
    const int16_t spare =
        checkedInt16(screenHeightMM - AssumedChartHeightMM(LineCountFor(screenHeightMM)), errorSource);
    return spare * pixelsPerMMY / 2;
}

const char* RowLabel(int row) { return kLabels[row]; }
int16_t RowNudge(int row) { return kNudges[row]; }

float NominalRowWidth(double letterWidth, int row) { return static_cast<float>(letterWidth * (2 * row - 1)); }

double RowStartX(float fullScreenX, double letterWidth, int row) {
    return (static_cast<double>(fullScreenX) - NominalRowWidth(letterWidth, row)) / 2 + RowNudge(row);
}

double RowGap(int row, double pixelsPerMMY, const LineSizeTable& sizes) {
    const float gap = static_cast<float>((pixelsPerMMY * sizes[5] + pixelsPerMMY * sizes[4]) / 2);
    return row <= 2 ? gap * 1.5 : gap;
}

double LetterGap(int row, double pixelsPerMMX, const LineSizeTable& sizes) {
    return pixelsPerMMX * sizes[std::min(row, kLastOwnGapRow)] / 2;
}

double LabelTop(double nextRowTop, double letterHeight, double rowGap) {
    return nextRowTop - (letterHeight / 2 + rowGap);
}

MarkerLine MarkerLineBelow(double nextRowTop, double rowGap, int16_t fullWidth, const std::string& errorSource) {
    const double left = fullWidth / 2.0 - fullWidth / 8.0;
    return {left, left + fullWidth / 4.0, toInt16(nextRowTop - rowGap / 2, errorSource)};
}

ChartOutcome DrawChartOn(const ChartInputs& chart, ChartCanvas& canvas, const std::string& errorSource) {
    return walk(chart, canvas, Pass::Paint, errorSource);
}
// Measuring neither places the first row nor draws the marker: none of the
// layout's arithmetic that can fail.
ChartOutcome MeasureChart(const ChartInputs& chart, ChartCanvas& canvas) {
    return walk(chart, canvas, Pass::Measure, {});
}

}  // namespace lumeye::acuity
