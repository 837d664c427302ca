// A sound input as the loop sees it: NB slots of B frames with done flags, filled in ring order by
// the device on its own thread, read and re-queued by the loop on the window thread.
#pragma once

#include "audio/CaptureRing.h"
#include "audio/StreamFormat.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// The order of use: Open (0 or a result code of DeviceResult.h), Start, then the loop takes done
// slots and re-queues them, then Stop, Reset and Close. The loop should take slots in ring order
// (NextSlot): after the ring was full, slot 0 need not hold the oldest block.
class InputDevice {
public:
    InputDevice() = default;
    virtual ~InputDevice() = default;
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // The full name of the device that captures.
    virtual std::string Name() const = 0;

    // Opens the device for the format and allocates the slots, all queued.
    virtual int Open(const StreamFormat& format) = 0;
    // Capture begins; slots fill from slot 0.
    virtual int Start() = 0;
    // Capture ends; filled slots keep their data and done flags.
    virtual void Stop() = 0;
    // Capture ends and every slot is queued again; the next Start fills from slot 0.
    virtual void Reset() = 0;
    virtual void Close() = 0;

    // True after a device failure during capture (it vanished or its stream ended by itself); the
    // wake fd was signalled when it happened.
    virtual bool Failed() const { return failed_.load(std::memory_order_acquire); }

    const StreamFormat& Format() const { return format_; }
    int SlotCount() const { return ring_.SlotCount(); }
    int FramesPerSlot() const { return ring_.FramesPerSlot(); }
    int Channels() const { return ring_.Channels(); }

    bool IsDone(int slot) const { return ring_.IsDone(slot); }
    // The slot's B x channels samples; valid to read while its done flag is set.
    std::span<const int16_t> Slot(int slot) const { return ring_.Slot(slot); }
    void Requeue(int slot) { ring_.Requeue(slot); }
    int NextSlot() const { return ring_.NextSlot(); }
    // Whole blocks the device dropped because the next slot in ring order was still done.
    uint64_t DroppedBlocks() const { return ring_.DroppedBlocks(); }

    // Readable when a block may be ready (watch it with a socket notifier, then DrainWakeups).
    int WakeFd() const { return ring_.Wake().Fd(); }
    void DrainWakeups() const { ring_.Wake().Drain(); }
    // Waits at most timeoutMs until some slot is done; false on timeout or device failure.
    bool WaitForBlock(int timeoutMs) const;

protected:
    CaptureRing& Ring() { return ring_; }
    void SetFormat(const StreamFormat& format) { format_ = format; }
    // Any thread: records the failure and wakes the loop.
    void MarkFailed() noexcept;
    void ClearFailed() noexcept { failed_.store(false, std::memory_order_release); }

private:
    CaptureRing ring_;
    StreamFormat format_;
    std::atomic<bool> failed_{false};
};

} // namespace ondrix
