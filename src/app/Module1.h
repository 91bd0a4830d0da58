#pragma once

#include "app/State.h"

#include <string>

namespace lumeye::ui {
class Form;
}

// Rescaling of the forms that are laid out for an 800 x 600 screen.
namespace lumeye::app {

struct ScaleFactors {
    float x = 1.0f;
    float y = 1.0f;
};

// Measures the display for a form designed at 800 x 600: sets the design size,
// ResizeForm (true), the layout units per pixel and the screen size in pixels
// counted in those units, and returns the factors from the design screen to
// this one. Units per pixel are rounded to whole numbers first, so a screen at
// 1440 / 168 units per pixel counts in 9s. A screen that reports less than
// half a unit per pixel is a division by zero (a lumeye::Error from `source`).
ScaleFactors MeasureDisplay(DisplayMetrics& metrics, double unitsPerPixelX, double unitsPerPixelY,
                            double screenWidthUnits, double screenHeightUnits, const std::string& source);

// MeasureDisplay on the primary screen, into the process-wide metrics.
ScaleFactors MeasureScreen(const std::string& source);

// Scales the position, size and font size of every control of the form, and
// when ResizeForm is true the form itself. Each read, write or move that the
// object does not support is passed over (menu entries have no geometry);
// combo boxes keep their height.
void ResizeControls(float xFactor, float yFactor, ui::Form& form);

}  // namespace lumeye::app
