#include "analysis/ColumnStream.h"

#include "display/SpectrogramRenderer.h"

#include <cmath>

namespace ondrix {

ColumnStream::ColumnStream(const ColumnChainSetup& setup, SpectrumAveraging& averaging)
    : chain_(setup, averaging) {}

void ColumnStream::Begin(int blockSize, int scanStep, DitherType dither, double ditherAmplitude,
                         uint32_t seed) {
    blockSize_ = blockSize;
    scanStep_ = scanStep;
    conditioner_ = std::make_unique<BlockConditioner>(dither, ditherAmplitude, seed);
    ClearHistory();
}

void ColumnStream::ClearHistory() {
    frames_ = std::make_unique<StreamFrames>(chain_.Setup().fftSize, scanStep_, blockSize_);
}

StreamBlockResult ColumnStream::Take(std::span<const int16_t> block, const BlockControls& blockControls,
                                     const ColumnControls& columnControls, const ColumnSinks& sinks) {
    StreamBlockResult out;
    out.mean = conditioner_->condition(frames_->Append(block), blockControls);
    std::span<const int16_t> frame;
    while (frames_->NextFrame(frame)) {
        out.last = chain_.Compute(frame, columnControls);
        const std::span<const float> values = chain_.Column();
        if (sinks.spectrum != nullptr) {
            (*sinks.spectrum)(values);
        }
        sinks.renderer.SetTrackingRow(sinks.track != nullptr ? (*sinks.track)(values) : -1);
        sinks.renderer.DrawColumn(values, sinks.rows, out.last.lowMark, out.last.highMark,
                                  out.last.overloaded);
        if (sinks.trigger != nullptr) {
            (*sinks.trigger)(std::fabs(out.last.minSample) + std::fabs(out.last.maxSample));
        }
        ++out.columns;
    }
    frames_->Compact();
    return out;
}

} // namespace ondrix
