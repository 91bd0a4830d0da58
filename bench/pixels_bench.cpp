// GetBitmapPixels and SetBitmapPixels on a 300 x 300 picture at every depth
// the pixel helpers handle (8 includes matching the palette).
#include "BenchScreens.h"
#include "bitmap/DDBHelper.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/StdPicture.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumeye;

namespace {

constexpr int kSide = 300;

// A 300 x 300 box on a display of the depth, holding a picture of its own
// image (so an 8-bit one has a palette), with a few colours drawn in.
std::unique_ptr<ui::PictureBox> pictureAt(int depth) {
    ui::SystemPalette::reset();
    bench::useDisplay(1920, 1080, depth, depth == 24 ? 24 : 0);
    auto box = std::make_unique<ui::PictureBox>();
    box->setBorderStyle(ui::PictureBox::BorderStyle::None);
    box->setBackColor(Qt::white);
    box->setScaleMode(ui::ScaleMode::Pixels);
    box->resize(kSide, kSide);
    box->FillBox(20, 20, 120, 280, Qt::black);
    box->FillBox(150, 40, 260, 90, QColor(128, 128, 128));
    box->setPicture(ui::StdPicture(box->Image()));
    return box;
}

void BM_GetBitmapPixels(benchmark::State& state) {
    const int depth = int(state.range(0));
    auto box = pictureAt(depth);
    PixelArray pixels;
    int16_t reported = 0;
    for (auto _ : state) {
        DDBHelper::GetBitmapPixels(*box, pixels, reported);
        benchmark::DoNotOptimize(pixels.row(0));
    }
    if (reported != depth) state.SkipWithError("the display reported another depth");
}
BENCHMARK(BM_GetBitmapPixels)->Arg(8)->Arg(15)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_SetBitmapPixels(benchmark::State& state) {
    const int depth = int(state.range(0));
    auto box = pictureAt(depth);
    PixelArray pixels;
    int16_t reported = 0;
    DDBHelper::GetBitmapPixels(*box, pixels, reported);
    for (auto _ : state) {
        DDBHelper::SetBitmapPixels(*box, reported, pixels);
        benchmark::ClobberMemory();
    }
    if (reported != depth) state.SkipWithError("the display reported another depth");
}
BENCHMARK(BM_SetBitmapPixels)->Arg(8)->Arg(15)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace
