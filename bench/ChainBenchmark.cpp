// Columns per second of the whole column chain and of a bare FFTW real transform of the same size, run
// side by side, followed by the ratio chain / bare for every case.

#include "analysis/ColumnChain.h"
#include "analysis/SpectrumAveraging.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ondrix;

struct Case {
    std::string label;
    int fftSize;
    int scanStep;
    int rows;
    int compression; // 0: direct rows
    FftPlanning planning;
};

// A few seconds of a tone in noise, so every frame holds different data.
std::vector<int16_t> TestSignal(std::size_t length) {
    std::vector<int16_t> signal(length);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 300.0);
    for (std::size_t i = 0; i < length; ++i) {
        signal[i] = static_cast<int16_t>(8000.0 * std::sin(0.05 * static_cast<double>(i)) + noise(random));
    }
    return signal;
}

void RunChain(benchmark::State& state, const Case& c) {
    ColumnChainSetup setup;
    setup.fftSize = c.fftSize;
    setup.windowSize = c.fftSize;
    setup.windowType = static_cast<int>(WindowType::Hanning);
    setup.scanStep = c.scanStep;
    setup.planning = c.planning;
    SpectrumAveraging averaging;
    ColumnChain chain(setup, averaging);
    ColumnControls controls;
    controls.rows = c.rows;
    controls.direct = c.compression == 0;
    controls.compression = c.compression;

    const std::vector<int16_t> signal = TestSignal(1 << 18);
    const std::size_t frames = (signal.size() - static_cast<std::size_t>(c.fftSize)) / c.scanStep;
    std::size_t frame = 0;
    for (auto _ : state) {
        const std::span<const int16_t> samples(signal.data() + frame * c.scanStep, c.fftSize);
        benchmark::DoNotOptimize(chain.Compute(samples, controls));
        benchmark::DoNotOptimize(chain.Column().data());
        frame = frame + 1 < frames ? frame + 1 : 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void RunBareFft(benchmark::State& state, const Case& c) {
    const auto n = static_cast<std::size_t>(c.fftSize);
    auto* in = static_cast<float*>(fftwf_malloc(n * sizeof(float)));
    auto* out = static_cast<fftwf_complex*>(fftwf_malloc((n / 2 + 1) * sizeof(fftwf_complex)));
    const unsigned flags = c.planning == FftPlanning::Measure ? FFTW_MEASURE : FFTW_ESTIMATE;
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(c.fftSize, in, out, flags);
    const std::vector<int16_t> signal = TestSignal(n);
    for (std::size_t i = 0; i < n; ++i) {
        in[i] = signal[i];
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}

// Prints the usual table and keeps each case's time per column for the ratios: the median when the runs
// are repeated, else the single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.run_name.str();
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                median_[name] = seconds;
            } else if (run.run_type == Run::RT_Iteration) {
                single_[name] = seconds;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double secondsPerColumn(const std::string& name) const {
        if (const auto it = median_.find(name); it != median_.end()) {
            return it->second;
        }
        const auto it = single_.find(name);
        return it == single_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> median_;
    std::map<std::string, double> single_;
};

} // namespace

int main(int argc, char** argv) {
    const std::vector<Case> cases = {
        {"fft1024_hanning_step256_rows256_dB_estimate", 1024, 256, 256, 0, FftPlanning::Estimate},
        {"fft1024_hanning_step256_rows256_dB_measure", 1024, 256, 256, 0, FftPlanning::Measure},
        {"fft16384_hanning_step4096_rows256_c32_dB_estimate", 16384, 4096, 256, 32, FftPlanning::Estimate},
        {"fft16384_hanning_step4096_rows256_c32_dB_measure", 16384, 4096, 256, 32, FftPlanning::Measure},
    };
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(("chain/" + c.label).c_str(), RunChain, c);
        benchmark::RegisterBenchmark(("bare_fft/" + c.label).c_str(), RunBareFft, c);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nColumns per second, chain / bare FFT (same size, same FFTW planning):\n");
    for (const Case& c : cases) {
        const double chain = reporter.secondsPerColumn("chain/" + c.label);
        const double bare = reporter.secondsPerColumn("bare_fft/" + c.label);
        if (chain > 0.0 && bare > 0.0) {
            std::printf("  %-52s %8.0f / %8.0f = %.2f\n", c.label.c_str(), 1.0 / chain, 1.0 / bare,
                        bare / chain);
        }
    }
    benchmark::Shutdown();
    return 0;
}
