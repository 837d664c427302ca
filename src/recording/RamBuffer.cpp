#include "recording/RamBuffer.h"

#include "common/Clock.h"
#include "common/Rounding.h"
#include "common/TextLines.h"
#include "recording/NewWavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace ondrix {

namespace {

// Partial saves are measured in steps of this many values.
constexpr int64_t kSaveStep = 2048;
constexpr int64_t kBytesPerMegabyte = 1024 * 1024;

} // namespace

bool RamBuffer::Start(int megabytes, RamBufferMode mode, int blockValues, int channels, uint32_t rate) {
    mode_ = mode;
    channels_ = std::max(channels, 1);
    rate_ = std::max<uint32_t>(rate, 1);
    Empty();
    int64_t capacity = std::max(megabytes, 0) * kBytesPerMegabyte / 2;
    capacity = blockValues > 0 ? capacity / blockValues * blockValues : 0;
    std::vector<int16_t>().swap(data_); // the old buffer goes first: both may not fit at once
    try {
        data_.assign(static_cast<std::size_t>(capacity), 0);
    } catch (const std::bad_alloc&) {
        std::vector<int16_t>().swap(data_);
        return false;
    }
    return true;
}

void RamBuffer::Empty() {
    writePos_ = 0;
    wrapped_ = false;
    lastPercent_ = -1;
}

RamBuffer::Appended RamBuffer::AppendBlock(std::span<const int16_t> block) {
    Appended result;
    if (!On()) {
        return result;
    }
    const int64_t capacity = Capacity();
    const int percent = RoundToInt32(static_cast<double>(writePos_) / static_cast<double>(capacity) * 100.0);
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        result.percent = percent;
    }
    // Blocks fit the capacity exactly; a block of another length is cut at the end rather than overrun it.
    const auto count =
        static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(block.size()), capacity - writePos_));
    std::copy_n(block.begin(), count, data_.begin() + writePos_);
    writePos_ += static_cast<int64_t>(count);
    if (writePos_ > capacity - 1) {
        wrapped_ = true;
        if (mode_ == RamBufferMode::Circular) {
            writePos_ = 0;
        } else {
            result.full = true;
        }
    }
    return result;
}

RamBuffer::Ranges RamBuffer::WholeRanges() const {
    const std::span<const int16_t> all(data_);
    if (!wrapped_) {
        return {all.first(static_cast<std::size_t>(writePos_))};
    }
    if (mode_ == RamBufferMode::StopWhenFull) {
        return {all};
    }
    return {all.subspan(static_cast<std::size_t>(writePos_)), all.first(static_cast<std::size_t>(writePos_))};
}

RamBuffer::Saved RamBuffer::SaveWhole(const std::string& path) const {
    return Write(path, WholeRanges()) ? Saved::Whole : Saved::Failed;
}

RamBuffer::Saved RamBuffer::SaveLastSeconds(const std::string& path, double seconds) const {
    const double values =
        std::floor(static_cast<double>(rate_) * seconds * channels_ / kSaveStep) * kSaveStep;
    const int64_t capacity = Capacity();
    if (!(values <= static_cast<double>(capacity))) {
        return Write(path, WholeRanges()) ? Saved::Shorter : Saved::Failed;
    }
    int64_t need = std::max<int64_t>(static_cast<int64_t>(values), 0);
    if (need > writePos_ && !wrapped_) {
        need = writePos_;
    }
    const std::span<const int16_t> all(data_);
    Ranges ranges;
    if (need > writePos_) {
        // The older part comes from the end of the array, the newer from its start.
        ranges.push_back(all.last(static_cast<std::size_t>(need - writePos_)));
        ranges.push_back(all.first(static_cast<std::size_t>(writePos_)));
    } else {
        ranges.push_back(
            all.subspan(static_cast<std::size_t>(writePos_ - need), static_cast<std::size_t>(need)));
    }
    return Write(path, ranges) ? Saved::Requested : Saved::Failed;
}

bool RamBuffer::Write(const std::string& path, const Ranges& ranges) const {
    NewWavFile file(path);
    for (const std::span<const int16_t> range : ranges) {
        file.Append(range);
    }
    return file.Finish(channels_, rate_);
}

std::string RamBufferFileName(const std::tm& when, std::string_view position) {
    std::string name = "buffer end at " + FileTimeStamp(when);
    const std::string trimmed = Trim(position);
    if (!trimmed.empty()) {
        name += " " + trimmed;
    }
    return name;
}

} // namespace ondrix
