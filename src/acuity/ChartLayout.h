#pragma once

#include <array>
#include <cstdint>
#include <string>

// The layout of the acuity chart: up to eight rows of tumbling E's, row r
// holding r letters, each row labelled with its acuity line, and a red marker
// line under the "6 / 12" row. Sizes are in pixels, (0, 0) at the canvas's top
// left; letter sizes in millimetres come from the size table.
namespace lumeye::acuity {

// Letter heights in millimetres per row, entries 1 to 9 (entry 0 unused).
using LineSizeTable = std::array<double, 10>;

inline constexpr int kMaxRows = 8;
inline constexpr double kLabelLeft = 50;
inline constexpr int kMarkerRow = 5;
inline constexpr int kMarkerWidth = 8;
inline constexpr double kLabelPoints = 16;

// 8 rows from 220 mm of screen height, 7 from 205, else 6.
int16_t LineCountFor(int16_t screenHeightMM);
// The chart height the top margin assumes for a row count: 211, 196 or 181 mm.
int16_t AssumedChartHeightMM(int16_t lineCount);
// Top of the first row: half the screen height left over by the assumed chart.
double FirstRowTop(int16_t screenHeightMM, double pixelsPerMMY, const std::string& errorSource);

const char* RowLabel(int row);  // "6 / 60" ... "6 / 5"
int16_t RowNudge(int row);      // fixed offset on top of the centring

// The width the row would have with gaps as wide as its letters.
float NominalRowWidth(double letterWidth, int row);
// Left of a row's first letter: the nominal row centred on the full-screen
// width, then nudged.
double RowStartX(float fullScreenX, double letterWidth, int row);
// Space under a row: the mean of a row-4 and a row-5 letter height, half as
// much again under rows 1 and 2.
double RowGap(int row, double pixelsPerMMY, const LineSizeTable& sizes);
// Space between letters: half a letter, half a row-4 letter from row 5 on.
double LetterGap(int row, double pixelsPerMMX, const LineSizeTable& sizes);
// Top of a row's label: the vertical middle of the row, given the top of the
// next row, the height of the row's last letter and the gap under the row.
double LabelTop(double nextRowTop, double letterHeight, double rowGap);

// The marker line under row 5: centred in the gap, across the middle quarter
// of the full-screen width (3/8 to 5/8).
struct MarkerLine {
    double x1;
    double x2;
    int16_t y;
};
MarkerLine MarkerLineBelow(double nextRowTop, double rowGap, int16_t fullWidth, const std::string& errorSource);

// What a key does on the chart, by the key code the canvas reports: Enter and
// Space draw a new chart, Escape leaves the test; other keys do nothing.
enum class ChartKey { Ignored, NewChart, Leave };
ChartKey ChartKeyAction(int keyCode);

struct ChartInputs {
    int16_t FirstLine = 1;
    int16_t ScreenHeightMM = 0;
    double PixelsPerMMX = 0;
    double PixelsPerMMY = 0;
    float FullScreenX = 0;
    int16_t FullWidth = 0;
    LineSizeTable LineSizes{};
};

// What a pass needs of the test window; the chart's arithmetic stays here.
// The window processes pending events in SizeResultPicture and DoEvents, so
// input can arrive during a pass: a pass ends early once stopped() is true.
class ChartCanvas {
public:
    struct Size {
        double width;
        double height;
    };
    virtual ~ChartCanvas() = default;
    // Sizes the result picture for a letter of this many pixels: nothing is
    // drawn in it, its inner size in whole pixels is the letter's size.
    virtual void SizeResultPicture(double width, double height) = 0;
    // Makes the letter of a direction at the result picture's inner size, the
    // master reduced, and returns that size in whole pixels.
    virtual Size ReduceLetter(int16_t direction) = 0;
    // The result picture's inner size in whole pixels, as sized for the letter.
    virtual Size LetterSize() const = 0;
    virtual void PaintLetter(float x, float y, Size size) = 0;
    virtual void PrintLabel(double x, double y, const char* label) = 0;
    virtual void DrawMarker(const MarkerLine& line) = 0;
    virtual void DoEvents() = 0;
    virtual bool stopped() const = 0;
    virtual float NextRandom() = 0;
};

struct ChartOutcome {
    int16_t LineCount = 0;
    double LetterWidth = 0;   // of the last letter
    double LetterHeight = 0;
    double chartHeight = 0;   // rows and the gaps under them (measuring pass)
    bool completed = false;   // false when the pass was stopped
};

// Paints the chart: every letter, each row's label and the marker line.
// Errors of the layout's arithmetic name errorSource as their routine.
ChartOutcome DrawChartOn(const ChartInputs& chart, ChartCanvas& canvas, const std::string& errorSource);
// Runs the same layout, every letter still sized and its direction drawn,
// without reducing or painting; adds up the rows' heights and gaps.
ChartOutcome MeasureChart(const ChartInputs& chart, ChartCanvas& canvas);

}  // namespace lumeye::acuity
