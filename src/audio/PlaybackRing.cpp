#include "audio/PlaybackRing.h"

#include <algorithm>
#include <cstring>

namespace ondrix {

void PlaybackRing::Configure(int slotCount, int framesPerSlot, int channels) {
    slotCount_ = std::max(slotCount, 1);
    framesPerSlot_ = std::max(framesPerSlot, 1);
    channels_ = std::max(channels, 1);
    const auto count = static_cast<std::size_t>(slotCount_);
    samples_.assign(count * SlotValues(), 0);
    done_ = std::make_unique<std::atomic<bool>[]>(count);
    frames_ = std::make_unique<int[]>(count);
    order_ = std::make_unique<int[]>(count);
    underruns_.store(0, std::memory_order_relaxed);
    Reset();
}

void PlaybackRing::Reset() noexcept {
    for (int i = 0; i < slotCount_; ++i) {
        done_[i].store(true, std::memory_order_release);
    }
    queued_.store(0, std::memory_order_release);
    played_ = 0;
    position_ = 0;
    starved_ = true;
    wake_.Drain();
}

bool PlaybackRing::IsDone(int slot) const noexcept {
    return slot >= 0 && slot < slotCount_ && done_[slot].load(std::memory_order_acquire);
}

bool PlaybackRing::AnyDone() const noexcept {
    for (int i = 0; i < slotCount_; ++i) {
        if (done_[i].load(std::memory_order_acquire)) {
            return true;
        }
    }
    return false;
}

std::span<int16_t> PlaybackRing::Slot(int slot) noexcept {
    if (slot < 0 || slot >= slotCount_) {
        return {};
    }
    return {samples_.data() + static_cast<std::size_t>(slot) * SlotValues(), SlotValues()};
}

bool PlaybackRing::Queue(int slot, int frames) noexcept {
    if (!IsDone(slot)) {
        return false;
    }
    frames_[slot] = std::clamp(frames, 0, framesPerSlot_);
    done_[slot].store(false, std::memory_order_relaxed);
    // A done slot is queued at most once, so at most slotCount_ sequence numbers are outstanding.
    const uint64_t sequence = queued_.load(std::memory_order_relaxed);
    order_[sequence % static_cast<uint64_t>(slotCount_)] = slot;
    queued_.store(sequence + 1, std::memory_order_release);
    return true;
}

void PlaybackRing::Read(int16_t* out, std::size_t frameCount) noexcept {
    const std::size_t channels = static_cast<std::size_t>(channels_);
    while (frameCount > 0) {
        if (slotCount_ == 0 || played_ == queued_.load(std::memory_order_acquire)) {
            if (!starved_) {
                starved_ = true;
                underruns_.fetch_add(1, std::memory_order_relaxed);
            }
            if (out != nullptr) {
                std::memset(out, 0, frameCount * channels * sizeof(int16_t));
            }
            return;
        }
        starved_ = false;
        const int slot = order_[played_ % static_cast<uint64_t>(slotCount_)];
        const auto slotFrames = static_cast<std::size_t>(frames_[slot]);
        const std::size_t take = std::min(frameCount, slotFrames - position_);
        if (out != nullptr) {
            const int16_t* source =
                samples_.data() + static_cast<std::size_t>(slot) * SlotValues() + position_ * channels;
            std::memcpy(out, source, take * channels * sizeof(int16_t));
            out += take * channels;
        }
        frameCount -= take;
        position_ += take;
        if (position_ == slotFrames) {
            position_ = 0;
            ++played_;
            done_[slot].store(true, std::memory_order_release);
            wake_.Signal();
        }
    }
}

} // namespace ondrix
