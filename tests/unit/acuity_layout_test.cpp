// The chart's layout arithmetic and the passes over it, with a canvas that
// records what the test window would be asked to do.
#include "acuity/ChartLayout.h"
#include "acuity/Directions.h"
#include "acuity/PassControl.h"
#include "core/Numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace lumeye;
using namespace lumeye::acuity;

namespace {
// The routine the errors of the code under test name: its caller.
const std::string kCaller = "Test.Caller";

// The size table for a 303 mm wide screen, as the size table builds it.
LineSizeTable sizesFor303() {
    return {0, 43.6336, 26.1806, 17.4542, 13.0912, 8.7285, 6.5475, 4.3670, 3.6405, 0};
}

ChartInputs chart1024x768() {
    ChartInputs c;
    c.ScreenHeightMM = 240;
    c.PixelsPerMMX = 3.2;
    c.PixelsPerMMY = 3.2;
    c.FullScreenX = 1024;
    c.FullWidth = 1024;
    c.LineSizes = sizesFor303();
    return c;
}

struct Painted {
    float x, y;
    double width, height;
    int16_t direction;
};
struct Printed {
    double x, y;
    std::string text;
};

// Rounds letter sizes to whole pixels, as the scratch picture does, and
// records every call.
class RecordingCanvas : public ChartCanvas {
public:
    void SizeResultPicture(double width, double height) override {
        requested.push_back({width, height});
        current = {roundHalfEven(width), roundHalfEven(height)};
        ++eventsProcessed;
    }
    Size ReduceLetter(int16_t direction) override {
        directions.push_back(direction);
        return current;
    }
    Size LetterSize() const override { return current; }
    void PaintLetter(float x, float y, Size size) override {
        painted.push_back({x, y, size.width, size.height, directions.back()});
    }
    void PrintLabel(double x, double y, const char* label) override { labels.push_back({x, y, label}); }
    void DrawMarker(const MarkerLine& line) override { markers.push_back(line); }
    void DoEvents() override {
        ++eventsProcessed;
        if (stopAfterPaints > 0 && static_cast<int>(painted.size()) >= stopAfterPaints) stop = true;
    }
    bool stopped() const override { return stop; }
    float NextRandom() override {
        ++draws;
        if (!script.empty()) {
            const float u = script[scriptAt % script.size()];
            ++scriptAt;
            return u;
        }
        // A fixed, simple sequence is enough where the values do not matter.
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) & 0xFFFFFF) / 16777216.0f;
    }

    std::vector<Size> requested;
    std::vector<int16_t> directions;
    std::vector<Painted> painted;
    std::vector<Printed> labels;
    std::vector<MarkerLine> markers;
    std::vector<float> script;
    size_t scriptAt = 0;
    int eventsProcessed = 0;
    int draws = 0;
    int stopAfterPaints = 0;
    bool stop = false;

private:
    Size current{0, 0};
    uint32_t seed = 1;
};

}  // namespace

TEST(AcuityChartRows, CountFollowsTheScreenHeight) {
    EXPECT_EQ(LineCountFor(204), 6);
    EXPECT_EQ(LineCountFor(205), 7);
    EXPECT_EQ(LineCountFor(219), 7);
    EXPECT_EQ(LineCountFor(220), 8);
    EXPECT_EQ(LineCountFor(190), 6);
    EXPECT_EQ(AssumedChartHeightMM(8), 211);
    EXPECT_EQ(AssumedChartHeightMM(7), 196);
    EXPECT_EQ(AssumedChartHeightMM(6), 181);
    EXPECT_STREQ(RowLabel(1), "6 / 60");
    EXPECT_STREQ(RowLabel(6), "6 / 9");
    EXPECT_STREQ(RowLabel(7), "6 / 6");
    EXPECT_STREQ(RowLabel(8), "6 / 5");
}

TEST(AcuityChartRows, LastLabelDrawnMatchesTheRowCount) {
    for (auto [height, last] : {std::pair{204, "6 / 9"}, {205, "6 / 6"}, {219, "6 / 6"}, {220, "6 / 5"}}) {
        ChartInputs c = chart1024x768();
        c.ScreenHeightMM = static_cast<int16_t>(height);
        RecordingCanvas canvas;
        const ChartOutcome out = DrawChartOn(c, canvas, kCaller);
        ASSERT_TRUE(out.completed);
        EXPECT_EQ(canvas.labels.back().text, last) << height;
        EXPECT_EQ(canvas.labels.size(), static_cast<size_t>(out.LineCount));
        const size_t letters = out.LineCount * (out.LineCount + 1) / 2;
        EXPECT_EQ(canvas.painted.size(), letters) << height;
    }
}

TEST(AcuityChartLayout, WorkedNumbersOfA1024By768Screen) {
    EXPECT_DOUBLE_EQ(FirstRowTop(240, 3.2, kCaller), 46.4);
    EXPECT_NEAR(FirstRowTop(219, 3.2, kCaller), (219 - 196) * 1.6, 1e-9);
    EXPECT_NEAR(FirstRowTop(204, 3.2, kCaller), (204 - 181) * 1.6, 1e-9);

    const LineSizeTable sizes = sizesFor303();
    const double w1 = 3.2 * sizes[1];
    EXPECT_NEAR(w1, 139.63, 0.005);
    EXPECT_NEAR(RowStartX(1024, w1, 1), 442.19, 0.005);
    EXPECT_NEAR(NominalRowWidth(3.2 * sizes[2], 2), 251.33, 0.005);
    EXPECT_NEAR(RowStartX(1024, 3.2 * sizes[2], 2), 411.33, 0.005);

    EXPECT_NEAR(RowGap(3, 3.2, sizes), 34.91, 0.005);
    EXPECT_NEAR(RowGap(8, 3.2, sizes), 34.91, 0.005);
    EXPECT_NEAR(RowGap(1, 3.2, sizes), 52.37, 0.005);
    EXPECT_NEAR(RowGap(2, 3.2, sizes), 52.37, 0.005);
    // The gap is held in 32 bits before the half is added.
    const float gap = static_cast<float>((3.2 * sizes[5] + 3.2 * sizes[4]) / 2);
    EXPECT_EQ(RowGap(1, 3.2, sizes), gap * 1.5);

    EXPECT_DOUBLE_EQ(LetterGap(1, 3.2, sizes), 3.2 * sizes[1] / 2);
    EXPECT_DOUBLE_EQ(LetterGap(4, 3.2, sizes), 3.2 * sizes[4] / 2);
    EXPECT_DOUBLE_EQ(LetterGap(5, 3.2, sizes), 3.2 * sizes[4] / 2);
    EXPECT_DOUBLE_EQ(LetterGap(8, 3.2, sizes), 3.2 * sizes[4] / 2);

    const int16_t nudges[] = {0, 0, 25, 33, 39, 20, 6, -15, -22};
    for (int r = 1; r <= 8; ++r) EXPECT_EQ(RowNudge(r), nudges[r]) << r;
}

TEST(AcuityChartLayout, PassPaintsLettersWhereTheLayoutPutsThem) {
    RecordingCanvas canvas;
    const ChartInputs c = chart1024x768();
    const ChartOutcome out = DrawChartOn(c, canvas, kCaller);
    ASSERT_TRUE(out.completed);
    ASSERT_EQ(out.LineCount, 8);
    ASSERT_EQ(canvas.painted.size(), 36u);

    // Row 1: one 140 x 140 letter at (442.19, 46.4).
    EXPECT_NEAR(canvas.painted[0].x, 442.19, 0.005);
    EXPECT_NEAR(canvas.painted[0].y, 46.4, 1e-5);
    EXPECT_EQ(canvas.painted[0].width, 140);
    EXPECT_EQ(canvas.painted[0].height, 140);
    // Row 2 starts at 411.33, one row height and a 1.5 gap lower; its second
    // letter follows after the letter and half a letter.
    const double gap12 = RowGap(1, 3.2, c.LineSizes);
    EXPECT_NEAR(canvas.painted[1].x, 411.33, 0.005);
    EXPECT_NEAR(canvas.painted[1].y, 46.4 + 140 + gap12, 1e-4);
    EXPECT_EQ(canvas.painted[1].width, 84);  // 83.78 whole
    EXPECT_NEAR(canvas.painted[2].x, 411.33 + 84 + 3.2 * c.LineSizes[2] / 2, 0.005);
    EXPECT_EQ(canvas.painted[2].y, canvas.painted[1].y);

    // Every letter of a row has the row's size; rows go down, letters right.
    size_t i = 0;
    for (int r = 1; r <= 8; ++r) {
        const double gap = LetterGap(r, 3.2, c.LineSizes);
        for (int k = 0; k < r; ++k, ++i) {
            const Painted& p = canvas.painted[i];
            EXPECT_EQ(p.width, roundHalfEven(3.2 * c.LineSizes[r]));
            EXPECT_FLOAT_EQ(canvas.requested[i].width, 3.2 * c.LineSizes[r]);
            if (k == 0) {
                EXPECT_NEAR(p.x, RowStartX(1024, 3.2 * c.LineSizes[r], r), 1e-3);
            } else {
                const Painted& left = canvas.painted[i - 1];
                EXPECT_NEAR(p.x, left.x + left.width + gap, 1e-3);
                EXPECT_EQ(p.y, left.y);
            }
        }
    }
    EXPECT_DOUBLE_EQ(out.LetterWidth, 3.2 * c.LineSizes[8]);

    // Labels at x = 50, at the vertical middle of their row, in row order.
    ASSERT_EQ(canvas.labels.size(), 8u);
    i = 0;
    for (int r = 1; r <= 8; ++r) {
        const Painted& first = canvas.painted[i];
        EXPECT_EQ(canvas.labels[r - 1].x, 50);
        EXPECT_NEAR(canvas.labels[r - 1].y, first.y + first.height / 2, 1e-4) << r;
        EXPECT_EQ(canvas.labels[r - 1].text, RowLabel(r));
        i += r;
    }

    // One marker line, centred in the gap under row 5, across 3/8 to 5/8.
    ASSERT_EQ(canvas.markers.size(), 1u);
    const Painted& row5 = canvas.painted[10];
    const double gap = RowGap(5, 3.2, c.LineSizes);
    EXPECT_EQ(canvas.markers[0].y, roundHalfEven(row5.y + row5.height + gap / 2));
    EXPECT_EQ(canvas.markers[0].x1, 384);
    EXPECT_EQ(canvas.markers[0].x2, 640);
    // The row under the gap starts where the line's gap ends.
    EXPECT_NEAR(canvas.painted[15].y, row5.y + row5.height + gap, 1e-4);
}

TEST(AcuityChartLayout, MarkerLineSpansTheMiddleQuarter) {
    const MarkerLine m = MarkerLineBelow(400.0, 35.0, 1366, kCaller);
    EXPECT_DOUBLE_EQ(m.x1, 1366 * 3 / 8.0);
    EXPECT_DOUBLE_EQ(m.x2, 1366 * 5 / 8.0);
    EXPECT_EQ(m.y, 382);  // 382.5 goes to the even neighbour
    EXPECT_EQ(MarkerLineBelow(401.0, 35.0, 1366, kCaller).y, 384);  // 383.5
}

TEST(AcuityChartPasses, ThePassProcessesEventsAfterEveryLetter) {
    RecordingCanvas canvas;
    DrawChartOn(chart1024x768(), canvas, kCaller);
    // Once when sizing each letter, once after painting it, once after the line.
    EXPECT_EQ(canvas.eventsProcessed, 36 * 2 + 1);
}

TEST(AcuityChartPasses, MeasuringAddsRowHeightsAndGapsWithoutPainting) {
    RecordingCanvas canvas;
    const ChartInputs c = chart1024x768();
    const ChartOutcome out = MeasureChart(c, canvas);
    ASSERT_TRUE(out.completed);
    EXPECT_TRUE(canvas.painted.empty());
    EXPECT_TRUE(canvas.labels.empty());
    EXPECT_TRUE(canvas.markers.empty());
    EXPECT_TRUE(canvas.directions.empty());  // nothing reduced: the painting pass does that
    double total = 0;
    for (int r = 1; r <= 8; ++r) total += roundHalfEven(3.2 * c.LineSizes[r]) + RowGap(r, 3.2, c.LineSizes);
    EXPECT_NEAR(out.chartHeight, total, 1e-6);
    // Every letter's direction is still drawn: the generator moves on as far
    // as a painting pass moves it, so the first chart continues the sequence.
    RecordingCanvas painting;
    DrawChartOn(c, painting, kCaller);
    EXPECT_EQ(canvas.draws, painting.draws);
    EXPECT_EQ(canvas.requested.size(), 36u);
}

TEST(AcuityChartPasses, StartsAtTheFirstLine) {
    ChartInputs c = chart1024x768();
    c.FirstLine = 7;
    RecordingCanvas canvas;
    DrawChartOn(c, canvas, kCaller);
    ASSERT_EQ(canvas.painted.size(), 15u);
    EXPECT_NEAR(canvas.painted[0].y, 46.4, 1e-5);
    EXPECT_TRUE(canvas.markers.empty());
    EXPECT_EQ(canvas.labels.front().text, "6 / 6");
}

TEST(AcuityChartPasses, AStoppedPassPaintsNothingMore) {
    RecordingCanvas canvas;
    canvas.stopAfterPaints = 4;
    const ChartOutcome out = DrawChartOn(chart1024x768(), canvas, kCaller);
    EXPECT_FALSE(out.completed);
    EXPECT_EQ(canvas.painted.size(), 4u);
    EXPECT_EQ(canvas.requested.size(), 4u);
    EXPECT_EQ(canvas.labels.size(), 2u);  // rows 1 and 2 were finished
}

TEST(AcuityDirections, QuartersOfTheUnitInterval) {
    EXPECT_EQ(DirectionFor(0.0f), 1);
    EXPECT_EQ(DirectionFor(std::nextafter(0.25f, 0.0f)), 1);
    EXPECT_EQ(DirectionFor(0.25f), 2);
    EXPECT_EQ(DirectionFor(0.5f), 3);
    EXPECT_EQ(DirectionFor(0.75f), 4);
    // The largest value the generator gives: u x 4 + 1 rounds to 5 in 32 bits.
    const float largest = 1.0f - 1.0f / 16777216.0f;
    EXPECT_EQ(static_cast<int>(std::floor(largest * 4.0f + 1.0f)), 5);
    EXPECT_EQ(DirectionFor(largest), 4);
}

TEST(AcuityDirections, NeverTheSameTwiceInARowAcrossRows) {
    RecordingCanvas canvas;
    // Values that keep repeating a direction, so the pass has to draw again.
    canvas.script = {0.1f, 0.1f, 0.2f, 0.9f, 0.95f, 0.6f, 0.6f, 0.3f, 0.1f};
    DrawChartOn(chart1024x768(), canvas, kCaller);
    ASSERT_EQ(canvas.directions.size(), 36u);
    EXPECT_EQ(canvas.directions[0], 1);
    for (size_t i = 1; i < canvas.directions.size(); ++i)
        EXPECT_NE(canvas.directions[i], canvas.directions[i - 1]) << "letter " << i;
    EXPECT_GT(canvas.draws, 36);
}

TEST(AcuityDirections, EachPassStartsAfresh) {
    // A pass whose first value repeats the last direction of the previous
    // pass keeps it: only letters within a pass are compared.
    RecordingCanvas canvas;
    canvas.script = {0.1f, 0.3f};
    DrawChartOn(chart1024x768(), canvas, kCaller);
    const int16_t last = canvas.directions.back();
    canvas.directions.clear();
    canvas.script = {last == 1 ? 0.1f : 0.3f, 0.6f};
    canvas.scriptAt = 0;
    DrawChartOn(chart1024x768(), canvas, kCaller);
    EXPECT_EQ(canvas.directions.front(), last);
}

TEST(AcuityDirections, AllFourTurnUp) {
    RecordingCanvas canvas;
    DrawChartOn(chart1024x768(), canvas, kCaller);
    int seen[5] = {};
    for (int16_t d : canvas.directions) {
        ASSERT_GE(d, 1);
        ASSERT_LE(d, 4);
        ++seen[d];
    }
    for (int d = 1; d <= 4; ++d) EXPECT_GT(seen[d], 0) << d;
}

TEST(AcuityPassControl, RedrawsAskedDuringAPassGiveOneMoreChart) {
    PassControl control;
    int passes = 0, redraws = 0;
    const auto after = control.run(
        [&] {
            ++passes;
            EXPECT_TRUE(control.busy());
            control.askRedraw();
            control.askRedraw();
            control.askRedraw();
        },
        [&] { ++redraws; });
    EXPECT_EQ(after, PassControl::After::Stay);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(control.busy());
}

TEST(AcuityPassControl, ARedrawAskedDuringTheRedrawGivesAnother) {
    PassControl control;
    int redraws = 0;
    control.run([&] { control.askRedraw(); },
                [&] {
                    if (++redraws == 1) control.askRedraw();
                });
    EXPECT_EQ(redraws, 2);
}

TEST(AcuityPassControl, EscapeStopsThePassAndClosesAfterIt) {
    PassControl control;
    int redraws = 0;
    const auto after = control.run(
        [&] {
            control.askRedraw();
            EXPECT_FALSE(control.stopRequested());
            control.askClose();
            EXPECT_TRUE(control.stopRequested());
        },
        [&] { ++redraws; });
    EXPECT_EQ(after, PassControl::After::Close);
    EXPECT_EQ(redraws, 0);
    // Requests do not outlive the run.
    EXPECT_FALSE(control.stopRequested());
    EXPECT_EQ(control.run([] {}, [&] { ++redraws; }), PassControl::After::Stay);
    EXPECT_EQ(redraws, 0);
}

TEST(AcuityPassControl, IdleAgainAfterAPassThrows) {
    PassControl control;
    EXPECT_THROW(control.run(
                     [&] {
                         control.askClose();
                         throw std::runtime_error("pixel error");
                     },
                     [] {}),
                 std::runtime_error);
    EXPECT_FALSE(control.busy());
    EXPECT_FALSE(control.stopRequested());
}
