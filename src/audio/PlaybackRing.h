// The playback slots between the loop and a sound sink (a device callback or a clock thread):
// slots of B frames that the loop fills and queues, and the sink plays in the order queued.
#pragma once

#include "audio/WakeFd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ondrix {

// One thread queues (the loop), one thread plays (the sink). A slot is done while it is free: at
// start and again once its last frame has been played (flag stored with release, then the wake fd is
// signalled). Queued slots play strictly in the order they were queued; when none is queued the sink
// plays silence and counts an underrun. Read is lock-free and allocation-free.
class PlaybackRing {
public:
    PlaybackRing() = default;
    PlaybackRing(const PlaybackRing&) = delete;
    PlaybackRing& operator=(const PlaybackRing&) = delete;

    // Allocates the slots (zeroed, all done) and clears the counters.
    void Configure(int slotCount, int framesPerSlot, int channels);

    int SlotCount() const { return slotCount_; }
    int FramesPerSlot() const { return framesPerSlot_; }
    int Channels() const { return channels_; }

    // Loop side.
    bool IsDone(int slot) const noexcept;
    bool AnyDone() const noexcept;
    std::span<int16_t> Slot(int slot) noexcept;
    // Queues the first `frames` frames of a done slot behind the slots queued before; false (and
    // nothing queued) when the slot is not done or out of range.
    bool Queue(int slot, int frames) noexcept;
    uint64_t Underruns() const noexcept { return underruns_.load(std::memory_order_relaxed); }

    // Sink side: the next frameCount frames into out (interleaved); nullptr plays them nowhere.
    void Read(int16_t* out, std::size_t frameCount) noexcept;

    // Every slot done and nothing queued (sink stopped).
    void Reset() noexcept;

    const WakeFd& Wake() const { return wake_; }

private:
    std::size_t SlotValues() const { return static_cast<std::size_t>(framesPerSlot_) * channels_; }

    int slotCount_ = 0;
    int framesPerSlot_ = 0;
    int channels_ = 1;
    std::vector<int16_t> samples_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::unique_ptr<int[]> frames_;   // frames queued per slot; written before the slot is published
    std::unique_ptr<int[]> order_;    // queued slots by sequence number modulo the slot count
    std::atomic<uint64_t> queued_{0}; // sequence numbers published by the loop
    std::atomic<uint64_t> underruns_{0};
    WakeFd wake_;

    // Sink state: sequence number being played, frames of it played, and whether sound ran out.
    uint64_t played_ = 0;
    std::size_t position_ = 0;
    bool starved_ = true;
};

} // namespace ondrix
