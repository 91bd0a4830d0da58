// The test window's chart: a whole new chart (Enter on the canvas: clear it,
// then 36 letters, each with the scratch picture resized, the letter copied
// onto the canvas, reduced first where the window has not kept it yet, and
// pending events processed; labels and the marker line), and the whole load
// of the window (measuring pass and first chart, every letter reduced), on
// screens of 1920 x 1080 and 3840 x 2160.
#include "BenchScreens.h"
#include "acuity/Snellen1.h"
#include "ui/Application.h"
#include "ui/Form.h"

#include <benchmark/benchmark.h>

using namespace lumeye;
using acuity::snellen1;

namespace {

constexpr int kEnter = 13;

void screenOf(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    bench::useDisplay(width, height);
    bench::knownScreen(width, height);
}

void BM_DrawChart(benchmark::State& state) {
    screenOf(state);
    snellen1& form = ui::Forms::get<snellen1>();
    form.Show();
    ui::Application::DoEvents();
    for (auto _ : state) {
        emit form.PicDest->keyDown(kEnter, 0);
        // The last label and the marker line reach the screen too.
        ui::Application::DoEvents();
    }
    if (form.chartState().LineCount != 8) state.SkipWithError("the chart does not have 8 rows");
    ui::Forms::unloadAll();
}
BENCHMARK(BM_DrawChart)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

// What the menu's "Perform Sight Test" waits for inside the program: the
// window loaded (measuring pass and first chart) and shown.
void BM_LoadTestWindow(benchmark::State& state) {
    screenOf(state);
    for (auto _ : state) {
        snellen1& form = ui::Forms::get<snellen1>();
        form.Show();
        ui::Application::DoEvents();
        state.PauseTiming();
        ui::Forms::unloadAll();
        ui::Application::DoEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadTestWindow)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
