#include "app/Module1.h"

#include "core/Error.h"
#include "core/Numeric.h"
#include "ui/Form.h"
#include "ui/Screen.h"

namespace lumeye::app {
namespace {
constexpr int16_t kDesignWidth = 800;
constexpr int16_t kDesignHeight = 600;

// One step of the rescaling: a property the object lacks leaves it as it is.
template <class Step>
void passOverFailure(Step step) {
    try {
        step();
    } catch (const Error&) {
    }
}

int16_t screenPixels(double screenUnits, int16_t unitsPerPixel, const std::string& source) {
    if (unitsPerPixel == 0) throw divisionByZeroError(source);
    return toInt16(static_cast<float>(screenUnits) / static_cast<float>(unitsPerPixel), source);
}
}  // namespace

ScaleFactors MeasureDisplay(DisplayMetrics& metrics, double unitsPerPixelX, double unitsPerPixelY,
                            double screenWidthUnits, double screenHeightUnits, const std::string& source) {
    metrics.DesignWidth = kDesignWidth;
    metrics.DesignHeight = kDesignHeight;
    metrics.ResizeForm = kTrue;
    metrics.UnitsPerPixelX = toInt16(unitsPerPixelX, source);
    metrics.UnitsPerPixelY = toInt16(unitsPerPixelY, source);
    metrics.ScreenPixelsY = screenPixels(screenHeightUnits, metrics.UnitsPerPixelY, source);
    metrics.ScreenPixelsX = screenPixels(screenWidthUnits, metrics.UnitsPerPixelX, source);
    return {static_cast<float>(static_cast<double>(metrics.ScreenPixelsX) / metrics.DesignWidth),
            static_cast<float>(static_cast<double>(metrics.ScreenPixelsY) / metrics.DesignHeight)};
}

ScaleFactors MeasureScreen(const std::string& source) {
    return MeasureDisplay(displayMetrics(), ui::Screen::TwipsPerPixelX(), ui::Screen::TwipsPerPixelY(),
                          ui::Screen::Width(), ui::Screen::Height(), source);
}

void ResizeControls(float xFactor, float yFactor, ui::Form& form) {
    const float fontFactor = (xFactor + yFactor) / 2.0f;
    // The list is taken once: controls the steps create or destroy do not count.
    const QList<ui::Control> controls = form.Controls();
    for (ui::Control control : controls) {
        if (control.isComboBox()) {
            // A combo box's height follows its font, so it is left alone.
            passOverFailure([&] { control.setLeft(control.Left() * xFactor); });
            passOverFailure([&] { control.setTop(control.Top() * yFactor); });
            passOverFailure([&] { control.setWidth(control.Width() * xFactor); });
        } else {
            passOverFailure([&] {
                control.Move(control.Left() * xFactor, control.Top() * yFactor, control.Width() * xFactor,
                             control.Height() * yFactor);
            });
        }
        passOverFailure([&] { control.setFontSize(control.FontSize() * fontFactor); });
    }
    if (displayMetrics().ResizeForm != kFalse) {
        passOverFailure([&] {
            form.Move(form.Left() * xFactor, form.Top() * yFactor, form.Width() * xFactor, form.Height() * yFactor);
        });
    }
}

}  // namespace lumeye::app
