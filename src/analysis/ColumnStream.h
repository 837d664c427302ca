// One continuous stream of samples turned into drawn columns: block conditioning, frames anchored in the
// stream, the column chain, the renderer and the detectors, as the continuous loops (live input and
// playback) run it.
#pragma once

#include "analysis/BlockConditioner.h"
#include "analysis/ColumnChain.h"
#include "analysis/StreamFrames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace ondrix {

class SpectrogramRenderer;

// Where the columns of a block go. A null detector is not called.
struct ColumnSinks {
    SpectrogramRenderer& renderer;
    int rows = 0;
    const std::function<int(std::span<const float>)>* track = nullptr; // while "Track" is checked
    const std::function<void(float peakToPeak)>* trigger = nullptr;
    const std::function<void(std::span<const float>)>* spectrum = nullptr; // the spectrum window
};

struct StreamBlockResult {
    std::optional<int16_t> mean; // the offset label's value, when offset removal is on
    int columns = 0;             // columns drawn from the block
    ColumnResult last;           // the last of them (rows 0 when none)
};

class ColumnStream {
public:
    ColumnStream(const ColumnChainSetup& setup, SpectrumAveraging& averaging);

    // The chain's setup after its own limits (FFT and window sizes).
    const ColumnChainSetup& Setup() const { return chain_.Setup(); }
    int64_t OverloadCount() const { return chain_.OverloadCount(); }

    // Starts the stream for blocks of up to blockSize samples, a frame every scanStep samples: silent
    // history, fresh dither.
    void Begin(int blockSize, int scanStep, DitherType dither, double ditherAmplitude, uint32_t seed);
    // The stream jumped: the history starts from silence again.
    void ClearHistory();

    // Conditions the block's samples, then computes, draws and hands on every column whose frame is
    // complete. Allocates nothing.
    StreamBlockResult Take(std::span<const int16_t> block, const BlockControls& blockControls,
                           const ColumnControls& columnControls, const ColumnSinks& sinks);

private:
    ColumnChain chain_;
    std::unique_ptr<StreamFrames> frames_;
    std::unique_ptr<BlockConditioner> conditioner_;
    int blockSize_ = 0;
    int scanStep_ = 1;
};

} // namespace ondrix
