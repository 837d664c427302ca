// The per-row averaging and peak-hold memories applied to the power of each column.
#pragma once

#include <span>
#include <vector>

namespace ondrix {

// Averaging modes, in the order of the averaging list.
enum class AveragingMode { Off = 0, Average = 1, SubtractAverage = 2, HoldMax = 3, HoldMaxDecay = 4 };

// Four independent per-row memories, all starting at 0. The program owns one object for its whole
// lifetime: the memories are kept from column to column and from session to session.
// Each operation works in place on the given rows (rows 0..R of a column); rows beyond the capacity
// of the memories are left untouched.
class SpectrumAveraging {
public:
    SpectrumAveraging();

    // avg = avg * a + (1 - a) * x; x = avg.
    void average(std::span<float> column, float a);
    // sub = sub * a + (1 - a) * x; x = x - sub.
    void averageSubtract(std::span<float> column, float a);
    // held = x when x > held (strictly); x = held.
    void holdMax(std::span<float> column);
    // decayed = decayed * a, then decayed = x when x > decayed (strictly); x = decayed.
    void holdMaxDecay(std::span<float> column, float a);

    // The operation of the mode; Off (or an unknown mode) leaves the column as it is.
    void apply(AveragingMode mode, std::span<float> column, float a);

private:
    std::vector<float> average_;
    std::vector<float> subtractAverage_;
    std::vector<float> held_;
    std::vector<float> decayed_;
};

} // namespace ondrix
