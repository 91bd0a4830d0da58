// Measuring the display for the forms laid out on an 800 x 600 screen.
#include "app/Module1.h"
#include "core/Error.h"

#include <gtest/gtest.h>

using namespace lumeye;
using app::DisplayMetrics;
using app::MeasureDisplay;

TEST(MeasureDisplay, ScreenOf1024By768At96Dpi) {
    DisplayMetrics m;
    const auto f = MeasureDisplay(m, 15.0, 15.0, 1024 * 15.0, 768 * 15.0, "test");
    EXPECT_EQ(m.DesignWidth, 800);
    EXPECT_EQ(m.DesignHeight, 600);
    EXPECT_EQ(m.ResizeForm, app::kTrue);
    EXPECT_EQ(m.UnitsPerPixelX, 15);
    EXPECT_EQ(m.UnitsPerPixelY, 15);
    EXPECT_EQ(m.ScreenPixelsX, 1024);
    EXPECT_EQ(m.ScreenPixelsY, 768);
    EXPECT_EQ(f.x, 1.28f);
    EXPECT_EQ(f.y, 1.28f);
}

TEST(MeasureDisplay, FactorsOfAWideScreen) {
    DisplayMetrics m;
    const auto f = MeasureDisplay(m, 15.0, 15.0, 1600 * 15.0, 600 * 15.0, "test");
    EXPECT_EQ(f.x, 2.0f);
    EXPECT_EQ(f.y, 1.0f);
}

TEST(MeasureDisplay, FractionalUnitsPerPixelAreRoundedFirst) {
    // 168 dots per inch: 1440 / 168 = 8.571... units per pixel, counted as 9,
    // so a 1680-pixel-wide screen (14400 units) measures 1600 pixels.
    DisplayMetrics m;
    const auto f = MeasureDisplay(m, 1440.0 / 168, 1440.0 / 168, 14400.0, 1050 * 1440.0 / 168, "test");
    EXPECT_EQ(m.UnitsPerPixelX, 9);
    EXPECT_EQ(m.UnitsPerPixelY, 9);
    EXPECT_EQ(m.ScreenPixelsX, 1600);
    EXPECT_EQ(m.ScreenPixelsY, 1000);
    EXPECT_EQ(f.x, 2.0f);
}

TEST(MeasureDisplay, HalvesGoToTheEvenNeighbour) {
    DisplayMetrics m;
    MeasureDisplay(m, 14.5, 15.5, 112.5 * 14, 113.5 * 16, "test");
    EXPECT_EQ(m.UnitsPerPixelX, 14);
    EXPECT_EQ(m.UnitsPerPixelY, 16);
    EXPECT_EQ(m.ScreenPixelsX, 112);
    EXPECT_EQ(m.ScreenPixelsY, 114);
}

TEST(MeasureDisplay, ZeroUnitsPerPixelIsADivisionByZero) {
    DisplayMetrics m;
    try {
        MeasureDisplay(m, 0.4, 15.0, 1000.0, 1000.0, "snellen1.Form_Load");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::DivisionByZero);
        EXPECT_EQ(e.source(), "snellen1.Form_Load");
    }
}

TEST(MeasureDisplay, ScreensWiderThan16BitsOverflow) {
    DisplayMetrics m;
    EXPECT_THROW(MeasureDisplay(m, 1.0, 1.0, 40000.0, 1000.0, "test"), Error);
}
