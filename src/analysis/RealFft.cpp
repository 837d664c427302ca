#include "analysis/RealFft.h"

#include "analysis/AnalysisLimits.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <stdexcept>

namespace ondrix {

namespace {

// FFTW's planner and its allocations are not thread-safe (only executing a plan is): transforms made
// and destroyed on several threads at once (the parallel export) take turns here.
std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

std::span<float> AllocateBuffer() {
    auto* data = static_cast<float*>(fftwf_malloc(kWorkBufferCapacity * sizeof(float)));
    if (data == nullptr) {
        throw std::bad_alloc();
    }
    return {data, kWorkBufferCapacity};
}

} // namespace

RealFft::RealFft(int size, FftPlanning planning) : size_(size) {
    if (size < 2 || size > kMaxFftSize) {
        throw std::invalid_argument("FFT size out of range");
    }
    const std::lock_guard lock(PlannerMutex());
    input_ = AllocateBuffer();
    output_ = AllocateBuffer();
    const unsigned flags =
        (planning == FftPlanning::Measure ? FFTW_MEASURE : FFTW_ESTIMATE) | FFTW_PRESERVE_INPUT;
    plan_ =
        fftwf_plan_dft_r2c_1d(size, input_.data(), reinterpret_cast<fftwf_complex*>(output_.data()), flags);
    if (plan_ == nullptr) {
        fftwf_free(output_.data());
        fftwf_free(input_.data());
        throw std::runtime_error("FFTW could not plan the transform");
    }
    // Measuring overwrites the buffers; start every session from clean ones.
    std::fill(input_.begin(), input_.end(), 0.0f);
    std::fill(output_.begin(), output_.end(), 0.0f);
}

RealFft::~RealFft() {
    const std::lock_guard lock(PlannerMutex());
    fftwf_destroy_plan(plan_);
    fftwf_free(output_.data());
    fftwf_free(input_.data());
}

} // namespace ondrix
