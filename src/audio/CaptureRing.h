// The capture slots between a sound source (a device callback or a generator's clock thread) and
// the loop that consumes them: NB slots of B frames, each with a done flag.
#pragma once

#include "audio/WakeFd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ondrix {

// One producer thread writes, one consumer thread reads. A slot belongs to the producer while its
// done flag is clear and to the consumer while it is set:
// - the producer fills slots strictly in ring order, accumulating frames across writes of any
//   length, and sets a slot's flag (release) after its last frame is copied, then signals the wake fd;
// - when the next slot in ring order is still done at a block boundary, the whole next block of B
//   frames is dropped and counted; the producer never skips to a later slot, which would reorder sound;
// - the consumer reads a slot after seeing its flag (acquire), copies it out and re-queues it
//   (clears the flag, release).
// Write is lock-free and allocation-free; Configure and Reset run while no producer is active.
class CaptureRing {
public:
    CaptureRing() = default;
    CaptureRing(const CaptureRing&) = delete;
    CaptureRing& operator=(const CaptureRing&) = delete;

    // Allocates the slots (zeroed, all queued) and clears the counters.
    void Configure(int slotCount, int framesPerSlot, int channels);

    int SlotCount() const { return slotCount_; }
    int FramesPerSlot() const { return framesPerSlot_; }
    int Channels() const { return channels_; }

    // Producer side. frames holds frameCount interleaved frames; nullptr writes silence.
    void Write(const int16_t* frames, std::size_t frameCount) noexcept;
    // Counts whole blocks given up at a block boundary (a generator that fell too far behind).
    void DropBlocks(uint64_t blocks) noexcept;

    // Consumer side.
    bool IsDone(int slot) const noexcept;
    bool AnyDone() const noexcept;
    std::span<const int16_t> Slot(int slot) const noexcept;
    void Requeue(int slot) noexcept;
    // The slot after the one re-queued last: the oldest block when the consumer keeps ring order.
    int NextSlot() const noexcept { return nextRead_; }
    uint64_t DroppedBlocks() const noexcept { return dropped_.load(std::memory_order_relaxed); }

    // Every slot queued again and the ring restarted at slot 0 (producer stopped).
    void Reset() noexcept;

    const WakeFd& Wake() const { return wake_; }

private:
    std::size_t SlotValues() const { return static_cast<std::size_t>(framesPerSlot_) * channels_; }

    int slotCount_ = 0;
    int framesPerSlot_ = 0;
    int channels_ = 1;
    std::vector<int16_t> samples_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::atomic<uint64_t> dropped_{0};
    WakeFd wake_;

    // Producer state: the slot being filled, frames in it, and whether the current block is dropped.
    int writeSlot_ = 0;
    std::size_t filled_ = 0;
    bool dropping_ = false;

    // Consumer state.
    int nextRead_ = 0;
};

} // namespace ondrix
