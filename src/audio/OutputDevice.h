// A sound output as the loop sees it: slots of B frames (two for playback) that the loop fills and
// queues, and the device plays in the order queued; a slot is done again when it has been played.
#pragma once

#include "audio/PlaybackRing.h"
#include "audio/StreamFormat.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// The order of use: Open (0 or a result code of DeviceResult.h), fill and queue slots, Start, queue
// each slot again when it is done, then Stop, Reset and Close. Before anything is queued and after the
// last queued slot the device plays silence.
class OutputDevice {
public:
    OutputDevice() = default;
    virtual ~OutputDevice() = default;
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    virtual std::string Name() const = 0;

    // Opens the device for the format and allocates the slots, all done.
    virtual int Open(const StreamFormat& format) = 0;
    virtual int Start() = 0;
    // Playback ends; queued slots stay queued.
    virtual void Stop() = 0;
    // Playback ends and every slot is done again, nothing queued.
    virtual void Reset() = 0;
    virtual void Close() = 0;

    virtual bool Failed() const { return failed_.load(std::memory_order_acquire); }
    // How long a played slot still takes to be heard (the device's and the sound server's buffers): a
    // natural end waits this long after the last slot is done before it stops the device.
    virtual double LatencySeconds() const { return 0.0; }

    const StreamFormat& Format() const { return format_; }
    int SlotCount() const { return ring_.SlotCount(); }
    int FramesPerSlot() const { return ring_.FramesPerSlot(); }
    int Channels() const { return ring_.Channels(); }

    bool IsDone(int slot) const { return ring_.IsDone(slot); }
    // The slot's B x channels samples, to fill while it is done.
    std::span<int16_t> Slot(int slot) { return ring_.Slot(slot); }
    // Plays the first `frames` frames of a done slot after those queued before; false when not done.
    bool Queue(int slot, int frames) { return ring_.Queue(slot, frames); }
    // Times the device ran out of queued sound and played silence.
    uint64_t Underruns() const { return ring_.Underruns(); }

    int WakeFd() const { return ring_.Wake().Fd(); }
    void DrainWakeups() const { ring_.Wake().Drain(); }
    // Waits at most timeoutMs until some slot is done; false on timeout or device failure.
    bool WaitForBlock(int timeoutMs) const;

protected:
    PlaybackRing& Ring() { return ring_; }
    void SetFormat(const StreamFormat& format) { format_ = format; }
    void MarkFailed() noexcept;
    void ClearFailed() noexcept { failed_.store(false, std::memory_order_release); }

private:
    PlaybackRing ring_;
    StreamFormat format_;
    std::atomic<bool> failed_{false};
};

} // namespace ondrix
