// The built-in devices in real time: the capture slots judged by the test ramp. These tests run at
// the sound clock and are marked to run alone (their names hold "RealTime").
#include "FakeHost.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceNames.h"
#include "audio/NullOutput.h"
#include "audio/TestRamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace ondrix {
namespace {

constexpr int kWaitMs = 5000; // a bound that only a broken device reaches

// Follows the ramp through the blocks a consumer takes: every block must be whole, start at a block
// boundary and continue the previous one or follow a gap of whole blocks.
class RampFollower {
public:
    RampFollower(int framesPerSlot, int channels) : frames_(framesPerSlot), channels_(channels) {}

    void Take(std::span<const int16_t> slot) {
        ASSERT_EQ(slot.size(), static_cast<std::size_t>(frames_ * channels_));
        const auto first = static_cast<uint16_t>(slot[0]);
        for (int i = 0; i < frames_; ++i) {
            const auto expected = static_cast<int16_t>(static_cast<uint16_t>(first + i));
            for (int c = 0; c < channels_; ++c) {
                ASSERT_EQ(slot[static_cast<std::size_t>(i * channels_ + c)], expected)
                    << "block " << blocks_ << " frame " << i << " channel " << c;
            }
        }
        // Frames since the end of the previous block, modulo the ramp's period.
        const auto gap = static_cast<uint16_t>(first - next_);
        ASSERT_EQ(gap % frames_, 0) << "a block not on a block boundary, block " << blocks_;
        lost_ += static_cast<uint64_t>(gap / frames_);
        gaps_ += gap != 0 ? 1 : 0;
        next_ = static_cast<uint16_t>(first + frames_);
        ++blocks_;
    }

    uint64_t Blocks() const { return blocks_; }
    uint64_t Lost() const { return lost_; }
    uint64_t Gaps() const { return gaps_; }

private:
    int frames_;
    int channels_;
    uint16_t next_ = 0;
    uint64_t blocks_ = 0;
    uint64_t lost_ = 0;
    uint64_t gaps_ = 0;
};

// Takes done slots in ring order until `count` more blocks were taken; `pause` runs after each.
void Consume(InputDevice& device, RampFollower& ramp, uint64_t count,
             const std::function<void()>& pause = {}) {
    const uint64_t target = ramp.Blocks() + count;
    while (ramp.Blocks() < target) {
        ASSERT_TRUE(device.WaitForBlock(kWaitMs)) << "no block within the bound";
        const int slot = device.NextSlot();
        ASSERT_TRUE(device.IsDone(slot)) << "a block is done, but not the next in ring order";
        ramp.Take(device.Slot(slot));
        device.Requeue(slot);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
        if (pause) {
            pause();
        }
    }
}

// After Stop: the blocks still waiting, in ring order.
void TakeTheRest(InputDevice& device, RampFollower& ramp) {
    while (device.IsDone(device.NextSlot())) {
        const int slot = device.NextSlot();
        ramp.Take(device.Slot(slot));
        device.Requeue(slot);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
    EXPECT_FALSE(device.WaitForBlock(0));
}

OpenedInput OpenRamp(DeviceCatalog& catalog, const StreamFormat& format) {
    return catalog.OpenInput(catalog.InputPosition(kTestRampName), format);
}

// A consumer that keeps up takes every block: not one sample lost, repeated or reordered.
void ExpectEverySample(const StreamFormat& format, uint64_t blocks) {
    DeviceCatalog catalog(nullptr);
    OpenedInput opened = OpenRamp(catalog, format);
    ASSERT_EQ(opened.code, 0);
    InputDevice& device = *opened.device;
    RampFollower ramp(format.framesPerSlot, format.channels);
    ASSERT_EQ(device.Start(), 0);
    Consume(device, ramp, blocks);
    device.Stop();
    TakeTheRest(device, ramp);
    EXPECT_EQ(device.DroppedBlocks(), 0u);
    EXPECT_EQ(ramp.Lost(), 0u);
    EXPECT_FALSE(device.Failed());
    ::testing::Test::RecordProperty("blocks", static_cast<int>(ramp.Blocks()));
    device.Reset();
    device.Close();
}

TEST(RampRealTime, EverySampleAt48000Mono) {
    // NB 8 slots of B 1024 frames, 1.5 s.
    ExpectEverySample({.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 1024}, 70);
}

TEST(RampRealTime, EverySampleAt1000000Stereo) {
    // NB 16 slots of B 16384 frames, 2 s.
    ExpectEverySample({.sampleRate = 1'000'000, .channels = 2, .slotCount = 16, .framesPerSlot = 16384}, 122);
}

// A consumer that stops taking blocks: the device drops whole blocks and counts them; the ramp
// resumes at a block boundary, and every frame lost is in the count.
TEST(RampRealTime, ASlowConsumerLosesWholeCountedBlocks) {
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 4, .framesPerSlot = 512};
    DeviceCatalog catalog(nullptr);
    OpenedInput opened = OpenRamp(catalog, format);
    ASSERT_EQ(opened.code, 0);
    InputDevice& device = *opened.device;
    RampFollower ramp(format.framesPerSlot, format.channels);
    ASSERT_EQ(device.Start(), 0);

    // Take nothing until the ring is full and three blocks were dropped.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (device.DroppedBlocks() < 3 && std::chrono::steady_clock::now() < bound) {
        device.WaitForBlock(50);
    }
    ASSERT_GE(device.DroppedBlocks(), 3u);
    Consume(device, ramp, 4);
    EXPECT_EQ(ramp.Lost(), 0u) << "the full ring holds the four oldest blocks";
    Consume(device, ramp, 10);
    EXPECT_GE(ramp.Lost(), 3u);
    // Then a consumer slower than the device for a while.
    Consume(device, ramp, 20, [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); });
    // Keeping up again, so the last drop lies before the last block taken and shows as a gap.
    Consume(device, ramp, 10);
    device.Stop();
    TakeTheRest(device, ramp);
    EXPECT_EQ(ramp.Lost(), device.DroppedBlocks());
    device.Close();
}

// The null output plays what is queued, slot after slot, and frees each slot once played.
TEST(NullOutputRealTime, PlaysQueuedSlotsInTurn) {
    NullOutput output("null");
    ASSERT_EQ(output.Open({.sampleRate = 48000, .channels = 2, .slotCount = 2, .framesPerSlot = 480}), 0);
    ASSERT_EQ(output.Start(), 0);
    int queued = 0;
    for (int pass = 0; queued < 20; ++pass) {
        ASSERT_TRUE(output.WaitForBlock(kWaitMs));
        for (int slot = 0; slot < output.SlotCount(); ++slot) {
            if (output.IsDone(slot)) {
                std::fill(output.Slot(slot).begin(), output.Slot(slot).end(), static_cast<int16_t>(queued));
                ASSERT_TRUE(output.Queue(slot, output.FramesPerSlot()));
                ++queued;
            }
        }
    }
    // Everything queued is played within a bound.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (!(output.IsDone(0) && output.IsDone(1)) && std::chrono::steady_clock::now() < bound) {
        output.WaitForBlock(50);
    }
    EXPECT_TRUE(output.IsDone(0) && output.IsDone(1));
    output.Reset();
    output.Close();
}

} // namespace
} // namespace ondrix
