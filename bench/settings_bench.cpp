#include "app/ScreenFile.h"
#include "app/SizeTable.h"

#include <benchmark/benchmark.h>

#include <sstream>

using namespace lumeye::app;

// Start-up reads screen.dat and builds the size table before the menu shows.
static void BM_ReadScreenFile(benchmark::State& state) {
    const std::string bytes = ScreenFileContent(303, 227);
    for (auto _ : state) {
        std::istringstream in(bytes);
        int16_t w = 0, h = 0;
        ReadScreenFile(in, w, h, "MainForm.Form_Load");
        benchmark::DoNotOptimize(w + h);
    }
}
BENCHMARK(BM_ReadScreenFile);

static void BM_BuildSizeTable(benchmark::State& state) {
    SizeTable table;
    for (auto _ : state) {
        BuildSizeTable(table, 303, 227, true, 1024, 748, "MainForm.BuildSizeTable");
        benchmark::DoNotOptimize(table.LetterSizes[8]);
    }
}
BENCHMARK(BM_BuildSizeTable);
