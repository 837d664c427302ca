#include "audio/CaptureRing.h"

#include <algorithm>
#include <cstring>

namespace ondrix {

void CaptureRing::Configure(int slotCount, int framesPerSlot, int channels) {
    slotCount_ = std::max(slotCount, 1);
    framesPerSlot_ = std::max(framesPerSlot, 1);
    channels_ = std::max(channels, 1);
    samples_.assign(static_cast<std::size_t>(slotCount_) * SlotValues(), 0);
    done_ = std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(slotCount_));
    dropped_.store(0, std::memory_order_relaxed);
    Reset();
}

void CaptureRing::Reset() noexcept {
    for (int i = 0; i < slotCount_; ++i) {
        done_[i].store(false, std::memory_order_release);
    }
    writeSlot_ = 0;
    filled_ = 0;
    dropping_ = false;
    nextRead_ = 0;
    wake_.Drain();
}

void CaptureRing::Write(const int16_t* frames, std::size_t frameCount) noexcept {
    if (slotCount_ == 0) {
        return;
    }
    const std::size_t blockFrames = static_cast<std::size_t>(framesPerSlot_);
    const std::size_t channels = static_cast<std::size_t>(channels_);
    while (frameCount > 0) {
        if (filled_ == 0) {
            // A block begins: it goes to the next slot in ring order, or is dropped as a whole.
            dropping_ = done_[writeSlot_].load(std::memory_order_acquire);
        }
        const std::size_t take = std::min(frameCount, blockFrames - filled_);
        if (!dropping_) {
            int16_t* target =
                samples_.data() + static_cast<std::size_t>(writeSlot_) * SlotValues() + filled_ * channels;
            if (frames != nullptr) {
                std::memcpy(target, frames, take * channels * sizeof(int16_t));
            } else {
                std::memset(target, 0, take * channels * sizeof(int16_t));
            }
        }
        if (frames != nullptr) {
            frames += take * channels;
        }
        frameCount -= take;
        filled_ += take;
        if (filled_ < blockFrames) {
            continue;
        }
        filled_ = 0;
        if (dropping_) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        done_[writeSlot_].store(true, std::memory_order_release);
        writeSlot_ = writeSlot_ + 1 == slotCount_ ? 0 : writeSlot_ + 1;
        wake_.Signal();
    }
}

void CaptureRing::DropBlocks(uint64_t blocks) noexcept {
    dropped_.fetch_add(blocks, std::memory_order_relaxed);
}

bool CaptureRing::IsDone(int slot) const noexcept {
    return slot >= 0 && slot < slotCount_ && done_[slot].load(std::memory_order_acquire);
}

bool CaptureRing::AnyDone() const noexcept {
    for (int i = 0; i < slotCount_; ++i) {
        if (done_[i].load(std::memory_order_acquire)) {
            return true;
        }
    }
    return false;
}

std::span<const int16_t> CaptureRing::Slot(int slot) const noexcept {
    if (slot < 0 || slot >= slotCount_) {
        return {};
    }
    return {samples_.data() + static_cast<std::size_t>(slot) * SlotValues(), SlotValues()};
}

void CaptureRing::Requeue(int slot) noexcept {
    if (slot < 0 || slot >= slotCount_) {
        return;
    }
    done_[slot].store(false, std::memory_order_release);
    nextRead_ = slot + 1 == slotCount_ ? 0 : slot + 1;
}

} // namespace ondrix
