#include "analysis/ColumnParameters.h"

#include "analysis/AnalysisLimits.h"
#include "common/NumberText.h"
#include "common/Rounding.h"

#include <algorithm>

namespace ondrix {

std::string LinearRangeText(const ColumnResult& result) {
    return NumberText(result.linearMin, Precision::Single) + NumberText(result.linearMax, Precision::Single);
}

int EffectiveFftSize(int fftSizeSetting) {
    return 1 << Log2Floor(std::clamp(fftSizeSetting, 2, kMaxFftSize));
}

double BinWidth(double sampleRate, int fftSize, double tapeSpeedRatio, double frequencyDivisionRatio) {
    if (fftSize <= 0 || tapeSpeedRatio == 0.0) {
        return 0.0;
    }
    return sampleRate / fftSize / tapeSpeedRatio * frequencyDivisionRatio;
}

bool DirectRows(int fftSize, int displayRows, bool zoomFlag) {
    return static_cast<int64_t>(fftSize) <= 2 * static_cast<int64_t>(displayRows) || zoomFlag;
}

int CompressionFactor(int fftSize, int displayRows) {
    if (displayRows <= 0) {
        return 1;
    }
    return std::max(1, RoundToInt32(static_cast<double>(fftSize) / displayRows / 2.0));
}

} // namespace ondrix
