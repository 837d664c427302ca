// Columns drawn per second at R = 512 rows into a 1024-pixel-wide picture, for sweep and scroll mode
// at display update rates 2 and 64; and whole pages as the export draws them (U = 0, R = 256, the
// picture taken after every 1024 columns), drawn as they are and column-major.
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace ondrix {
namespace {

constexpr int Width = 1024;
constexpr int Rows = 512;

void DrawColumns(benchmark::State& state) {
    const int scrollMode = static_cast<int>(state.range(0));
    const int updateRate = static_cast<int>(state.range(1));

    Palette palette;
    palette.BuildPalette(10);
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    renderer.SetGeometry(Width, Rows);
    renderer.BeginSession(RendererSession{updateRate, Rows, scrollMode, {}});

    // A few different columns of display values spread over the whole palette and beyond.
    std::vector<std::vector<float>> columns(16, std::vector<float>(Rows));
    for (size_t k = 0; k < columns.size(); ++k) {
        for (int j = 0; j < Rows; ++j) {
            columns[k][j] = static_cast<float>((j * 7 + k * 31) % 300) - 20.3f;
        }
    }

    size_t k = 0;
    for (auto _ : state) {
        renderer.DrawColumn(columns[k], Rows, 30, 52, (k & 7) == 0);
        k = (k + 1) % columns.size();
    }
    benchmark::DoNotOptimize(renderer.Picture().constBits());
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(DrawColumns)->ArgNames({"scroll", "U"})->Args({0, 2})->Args({0, 64})->Args({1, 2})->Args({1, 64});

void DrawPages(benchmark::State& state) {
    constexpr int PageRows = 256;
    Palette palette;
    palette.BuildPalette(10);
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    renderer.SetColumnMajor(state.range(0) != 0);
    renderer.SetGeometry(Width, PageRows);
    renderer.BeginSession(RendererSession{0, PageRows, 0, {}});
    std::vector<std::vector<float>> columns(16, std::vector<float>(PageRows));
    for (size_t k = 0; k < columns.size(); ++k) {
        for (int j = 0; j < PageRows; ++j) {
            columns[k][j] = static_cast<float>((j * 7 + k * 31) % 300) - 20.3f;
        }
    }
    size_t k = 0;
    for (auto _ : state) {
        renderer.DrawColumn(columns[k % columns.size()], PageRows, 30, 52, (k & 7) == 0);
        if (++k % Width == 0) {
            benchmark::DoNotOptimize(renderer.Picture().constBits());
        }
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(DrawPages)->ArgNames({"columnMajor"})->Arg(0)->Arg(1);

} // namespace
} // namespace ondrix
