// One letter: the area-averaging reduction of a 300 x 300 master at the sizes
// a chart uses (12 pixels for "6 / 5" on a small screen up to 560, which
// enlarges).
#include "BenchScreens.h"
#include "acuity/Reduction.h"
#include "bitmap/DDBHelper.h"
#include "ui/PictureBox.h"
#include "ui/StdPicture.h"

#include <benchmark/benchmark.h>

using namespace lumeye;

namespace {

ui::PictureBox& master() {
    static ui::PictureBox* box = [] {
        bench::useDisplay(1920, 1080);
        auto* b = new ui::PictureBox;
        b->setBorderStyle(ui::PictureBox::BorderStyle::None);
        b->setAutoSize(true);
        b->setPicture(ui::StdPicture::load(QStringLiteral(":/masters/pic1.bmp")));
        b->setScaleMode(ui::ScaleMode::Pixels);
        return b;
    }();
    return *box;
}

PixelArray masterPixels() {
    PixelArray pixels;
    int16_t depth = 0;
    DDBHelper::GetBitmapPixels(master(), pixels, depth);
    return pixels;
}

void BM_AveragePixels(benchmark::State& state) {
    const int size = int(state.range(0));
    const PixelArray source = masterPixels();
    const acuity::ReduceParams params =
        acuity::MakeReduceParams(0, 0, 300, 300, 0, 0, float(size), float(size), "snellen1.ReducePicture");
    PixelArray target(size, size);
    for (auto _ : state) {
        acuity::AveragePixels(source, target, params, "snellen1.AveragePixels");
        benchmark::DoNotOptimize(target.row(0));
    }
    state.SetLabel("pixel arrays");
}
BENCHMARK(BM_AveragePixels)->Arg(12)->Arg(42)->Arg(140)->Arg(299)->Arg(560)->Unit(benchmark::kMicrosecond);

}  // namespace
