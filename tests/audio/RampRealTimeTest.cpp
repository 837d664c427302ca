// The built-in devices in real time: the capture slots judged by the test ramp. These tests run at the
// sound clock and are marked to run alone (their names hold "RealTime").
#include "audio/DeviceCatalog.h"
#include "audio/DeviceNames.h"
#include "audio/NullOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace ondrix {
namespace {

constexpr int kWaitMs = 5000; // a bound that only a broken device reaches

// Follows the ramp through the blocks a consumer takes: every block must be whole, start at a block
// boundary and continue the previous one or follow a gap of whole blocks, which count as lost.
struct RampFollower {
    int frames;
    int channels;
    uint16_t next = 0;
    uint64_t blocks = 0;
    uint64_t lost = 0;

    // Takes the next slot in ring order and queues it again.
    void TakeFrom(InputDevice& device) {
        const int slot = device.NextSlot();
        const std::span<const int16_t> samples = device.Slot(slot);
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(frames * channels));
        const auto first = static_cast<uint16_t>(samples[0]);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(samples[i], static_cast<int16_t>(static_cast<uint16_t>(first + i / channels)))
                << "block " << blocks << " sample " << i;
        }
        const auto gap = static_cast<uint16_t>(first - next); // frames skipped, modulo the ramp's period
        ASSERT_EQ(gap % frames, 0) << "a block not on a block boundary, block " << blocks;
        lost += static_cast<uint64_t>(gap / frames);
        next = static_cast<uint16_t>(first + frames);
        ++blocks;
        device.Requeue(slot);
    }

    // Takes `count` more blocks as they come, in ring order; `pause` runs after each.
    void Consume(InputDevice& device, uint64_t count, const std::function<void()>& pause = {}) {
        for (const uint64_t target = blocks + count;
             blocks < target && !::testing::Test::HasFatalFailure();) {
            ASSERT_TRUE(device.WaitForBlock(kWaitMs)) << "no block within the bound";
            ASSERT_TRUE(device.IsDone(device.NextSlot()))
                << "a block is done, but not the next in ring order";
            TakeFrom(device);
            if (pause) {
                pause();
            }
        }
    }

    // After Stop: the blocks still waiting, in ring order, then nothing more.
    void TakeTheRest(InputDevice& device) {
        while (device.IsDone(device.NextSlot()) && !::testing::Test::HasFatalFailure()) {
            TakeFrom(device);
        }
        EXPECT_FALSE(device.WaitForBlock(0));
    }
};

OpenedInput OpenRamp(DeviceCatalog& catalog, const StreamFormat& format) {
    OpenedInput opened = catalog.OpenInput(catalog.InputPosition(kTestRampName), format);
    EXPECT_EQ(opened.code, 0);
    EXPECT_EQ(opened.device->Start(), 0);
    return opened;
}

// A consumer that keeps up takes every block: not one sample lost, repeated or reordered (8 slots of
// 1024 mono frames at 48000/s for 1.5 s; 16 slots of 16384 stereo frames at 1 000 000/s for 2 s).
TEST(RampRealTime, EverySampleArrivesAtTheLowestAndHighestRates) {
    for (const auto& [format, blocks] :
         {std::pair{StreamFormat{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 1024},
                    70},
          {StreamFormat{.sampleRate = 1'000'000, .channels = 2, .slotCount = 16, .framesPerSlot = 16384},
           122}}) {
        SCOPED_TRACE(format.sampleRate);
        DeviceCatalog catalog(nullptr);
        OpenedInput opened = OpenRamp(catalog, format);
        RampFollower ramp{format.framesPerSlot, format.channels};
        ramp.Consume(*opened.device, blocks);
        opened.device->Stop();
        ramp.TakeTheRest(*opened.device);
        EXPECT_EQ(opened.device->DroppedBlocks(), 0u);
        EXPECT_EQ(ramp.lost, 0u);
        EXPECT_FALSE(opened.device->Failed());
        opened.device->Reset();
        opened.device->Close();
    }
}

// A consumer that stops taking blocks: the device drops whole blocks and counts them; the ramp resumes
// at a block boundary, and every frame lost is in the count.
TEST(RampRealTime, ASlowConsumerLosesWholeCountedBlocks) {
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 4, .framesPerSlot = 512};
    DeviceCatalog catalog(nullptr);
    OpenedInput opened = OpenRamp(catalog, format);
    InputDevice& device = *opened.device;
    RampFollower ramp{format.framesPerSlot, format.channels};
    // Take nothing until the ring is full and three blocks were dropped.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (device.DroppedBlocks() < 3 && std::chrono::steady_clock::now() < bound) {
        device.WaitForBlock(50);
    }
    ASSERT_GE(device.DroppedBlocks(), 3u);
    ramp.Consume(device, 4);
    EXPECT_EQ(ramp.lost, 0u) << "the full ring holds the four oldest blocks";
    ramp.Consume(device, 10);
    EXPECT_GE(ramp.lost, 3u);
    // Then a consumer slower than the device for a while, then keeping up again, so the last drop lies
    // before the last block taken and shows as a gap.
    ramp.Consume(device, 20, [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); });
    ramp.Consume(device, 10);
    device.Stop();
    ramp.TakeTheRest(device);
    EXPECT_EQ(ramp.lost, device.DroppedBlocks());
    device.Close();
}

// The null output plays what is queued, slot after slot, and frees each slot once played.
TEST(NullOutputRealTime, PlaysQueuedSlotsInTurn) {
    NullOutput output("null");
    ASSERT_EQ(output.Open({.sampleRate = 48000, .channels = 2, .slotCount = 2, .framesPerSlot = 480}), 0);
    ASSERT_EQ(output.Start(), 0);
    for (int queued = 0; queued < 20;) {
        ASSERT_TRUE(output.WaitForBlock(kWaitMs));
        for (int slot = 0; slot < output.SlotCount(); ++slot) {
            if (output.IsDone(slot)) {
                std::fill(output.Slot(slot).begin(), output.Slot(slot).end(), static_cast<int16_t>(queued++));
                ASSERT_TRUE(output.Queue(slot, output.FramesPerSlot()));
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
