#pragma once

#include "acuity/ChartLayout.h"
#include "acuity/PassControl.h"
#include "acuity/Reduction.h"
#include "ui/Form.h"
#include "ui/PictureBox.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace lumeye::acuity {

// The test window: the tumbling-E chart over the whole screen. Everything is
// drawn while it loads; afterwards Enter, Space or a double-click draw a new
// chart and Escape unloads it (the menu listens for unloaded()).
class snellen1 : public ui::Form {
    Q_OBJECT
public:
    // The test's fields, set again at every load.
    struct ChartState {
        int16_t FirstLine = 0;
        int16_t LineCount = 0;
        LineSizeTable LineSizes{};
        // Taken at load from the screen the chart covers, as LineSizes is
        // copied: whatever writes the size table later, the chart keeps them.
        double PixelsPerMMX = 0;
        double PixelsPerMMY = 0;
        float FullScreenX = 0;
        double LetterWidth = 0;  // pixels, of the last letter of the last pass
        double LetterHeight = 0;
        int16_t FullWidth = 0;
        int16_t FullHeight = 0;
        int16_t ChartHeight = 0;
        ReduceParams Reduction;  // SrcLeft, SrcTop, DstLeft, DstTop, ReduceScaleX, ReduceScaleY
    };

    snellen1();
    ~snellen1() override;

    // Measures the chart (the first pass at load).
    void TotalLetts();

    const ChartState& chartState() const { return state_; }
    // True while a chart is being drawn.
    bool drawing() const { return passes_.busy(); }

    ui::PictureBox* pic1;
    ui::PictureBox* picResult;
    ui::PictureBox* PicDest;
    ui::PictureBox* pic2;
    ui::PictureBox* pic3;
    ui::PictureBox* pic4;

protected:
    void Form_Load() override;
    // Closing from outside (the window manager) is leaving the test, as Escape.
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    class Canvas;

    void PicDest_KeyDown(int keyCode, int shift);
    void PicDest_DblClick();

    // Load sequence from the first processing of events to the first chart.
    void prepareAndDraw();
    // The window's device pixel ratio taken for the canvas, the scratch
    // picture and the size table's pixels per millimetre.
    void takePixelRatio();
    // A new chart where the window's ratio is no longer the canvas's.
    void followPixelRatio();
    void DrawChart();
    void SizeResultPicture(double width, double height);

    void newChart();
    void drawNewChart();
    void leaveTest();
    void runPasses(const std::function<void()>& pass);
    ui::PictureBox& masterOf(int16_t direction) const;
    ChartInputs chartInputs() const;
    // What a pass leaves in the window's fields.
    void keepOutcome(const ChartOutcome& out);
    // A length in screen pixels counted in the canvas's device pixels.
    int64_t devicePixels(int screenPixels) const;

    ChartState state_;
    PassControl passes_;
    // The test ends once the user has read why the chart cannot be drawn.
    bool leavingAfterMessage_ = false;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace lumeye::acuity
