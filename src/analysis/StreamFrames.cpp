#include "analysis/StreamFrames.h"

#include <algorithm>

namespace ondrix {

StreamFrames::StreamFrames(int fftSize, int scanStep, int maxBlock)
    : fftSize_(std::max(fftSize, 1)), scanStep_(std::max(scanStep, 1)),
      history_(std::max(fftSize_ - scanStep_, 0)),
      samples_(static_cast<std::size_t>(fftSize_) + static_cast<std::size_t>(std::max(maxBlock, 1)), 0),
      fill_(static_cast<std::size_t>(history_)) {}

std::span<int16_t> StreamFrames::Append(std::span<const int16_t> block) {
    const std::size_t skipped = static_cast<std::size_t>(std::min<int64_t>(skip_, block.size()));
    skip_ -= static_cast<int64_t>(skipped);
    // The tail is shorter than one FFT size, so a block of at most maxBlock samples always fits; a longer
    // one is cut rather than written past the end.
    const std::size_t count = std::min(block.size() - skipped, samples_.size() - fill_);
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(skipped), count, samples_.begin() + fill_);
    const std::span<int16_t> added(samples_.data() + fill_, count);
    fill_ += count;
    return added;
}

bool StreamFrames::NextFrame(std::span<const int16_t>& frame) {
    const int64_t offset = nextColumn_ * scanStep_ - start_;
    if (offset < 0 || offset + fftSize_ > static_cast<int64_t>(fill_)) {
        return false;
    }
    frame = std::span<const int16_t>(samples_.data() + offset, static_cast<std::size_t>(fftSize_));
    ++nextColumn_;
    return true;
}

void StreamFrames::Compact() {
    const int64_t nextStart = nextColumn_ * scanStep_;
    const int64_t end = start_ + static_cast<int64_t>(fill_);
    if (nextStart >= end) {
        skip_ = nextStart - end;
        fill_ = 0;
        start_ = nextStart;
        return;
    }
    const std::size_t dropped = static_cast<std::size_t>(nextStart - start_);
    std::copy(samples_.begin() + static_cast<std::ptrdiff_t>(dropped),
              samples_.begin() + static_cast<std::ptrdiff_t>(fill_), samples_.begin());
    fill_ -= dropped;
    start_ = nextStart;
}

} // namespace ondrix
