#include "analysis/SpectrumAveraging.h"

#include "analysis/AnalysisLimits.h"

#include <algorithm>

namespace ondrix {

namespace {

std::span<float> Fitting(std::span<float> column) {
    return column.first(std::min(column.size(), kColumnCapacity));
}

} // namespace

SpectrumAveraging::SpectrumAveraging()
    : average_(kColumnCapacity, 0.0f), subtractAverage_(kColumnCapacity, 0.0f), held_(kColumnCapacity, 0.0f),
      decayed_(kColumnCapacity, 0.0f) {}

void SpectrumAveraging::average(std::span<float> column, float a) {
    const float b = 1.0f - a;
    std::span<float> x = Fitting(column);
    for (std::size_t i = 0; i < x.size(); ++i) {
        average_[i] = average_[i] * a + b * x[i];
        x[i] = average_[i];
    }
}

void SpectrumAveraging::averageSubtract(std::span<float> column, float a) {
    const float b = 1.0f - a;
    std::span<float> x = Fitting(column);
    for (std::size_t i = 0; i < x.size(); ++i) {
        subtractAverage_[i] = subtractAverage_[i] * a + b * x[i];
        x[i] -= subtractAverage_[i];
    }
}

void SpectrumAveraging::holdMax(std::span<float> column) {
    std::span<float> x = Fitting(column);
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] > held_[i]) {
            held_[i] = x[i];
        }
        x[i] = held_[i];
    }
}

void SpectrumAveraging::holdMaxDecay(std::span<float> column, float a) {
    std::span<float> x = Fitting(column);
    for (std::size_t i = 0; i < x.size(); ++i) {
        decayed_[i] *= a;
        if (x[i] > decayed_[i]) {
            decayed_[i] = x[i];
        }
        x[i] = decayed_[i];
    }
}

void SpectrumAveraging::apply(AveragingMode mode, std::span<float> column, float a) {
    switch (mode) {
    case AveragingMode::Average:
        average(column, a);
        break;
    case AveragingMode::SubtractAverage:
        averageSubtract(column, a);
        break;
    case AveragingMode::HoldMax:
        holdMax(column);
        break;
    case AveragingMode::HoldMaxDecay:
        holdMaxDecay(column, a);
        break;
    default:
        break;
    }
}

} // namespace ondrix
