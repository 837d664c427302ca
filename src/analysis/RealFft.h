// A forward real FFT of one size, planned once, from an aligned frame buffer into an aligned bin buffer.
#pragma once

#include <fftw3.h>

#include <span>

namespace ondrix {

// How much effort FFTW spends on choosing its plan: Measure times candidate plans (slower to set up,
// sometimes faster to run), Estimate picks one at once.
enum class FftPlanning { Estimate, Measure };

// The frame goes into input()[0..size-1]; execute() writes bins k = 0..size/2 to output() as (re, im)
// at positions 2k, 2k+1, unscaled, and leaves the input as it was. Out of place because FFTW's in-place
// real transforms run markedly slower. Both buffers hold kWorkBufferCapacity floats whatever the size.
class RealFft {
public:
    // size: a power of two, 2..kMaxFftSize (the caller clamps it).
    RealFft(int size, FftPlanning planning);
    ~RealFft();
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    int size() const { return size_; }
    std::span<float> input() { return input_; }
    std::span<const float> output() const { return output_; }
    void execute() { fftwf_execute(plan_); }

private:
    int size_;
    std::span<float> input_;
    std::span<float> output_;
    fftwf_plan plan_ = nullptr;
};

} // namespace ondrix
