// The devices in real time: the built-in ones judged by the test ramp, and real capture through PortAudio
// from a private PulseAudio server whose null sink plays a tone, recorded through ALSA's "pulse" device.
// These tests run at the sound clock and are marked to run alone (their names hold "RealTime").
#include "audio/DeviceCatalog.h"
#include "audio/DeviceNames.h"
#include "audio/NullOutput.h"
#include "audio/PortAudioHost.h"
#include "support/PulseServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <numeric>
#include <thread>

namespace ondrix {
namespace {

constexpr int kWaitMs = 5000; // a bound that only a broken device reaches

// Waits on the device's wake-up until `done` holds or the bound passes; whether it holds.
template <class Device> bool WaitUntil(const Device& device, const std::function<bool()>& done) {
    const auto bound = std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * kWaitMs);
    while (!done() && std::chrono::steady_clock::now() < bound) {
        device.WaitForBlock(50);
    }
    return done();
}

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

    // Takes `count` more blocks as they come, in ring order, `pause` after each. After Stop (count 0): the
    // blocks still waiting, then nothing more.
    void Consume(InputDevice& device, uint64_t count, const std::function<void()>& pause = {}) {
        const uint64_t target = blocks + count;
        while (!::testing::Test::HasFatalFailure() &&
               (count == 0 ? device.IsDone(device.NextSlot()) : blocks < target)) {
            ASSERT_TRUE(count == 0 || device.WaitForBlock(kWaitMs)) << "no block within the bound";
            ASSERT_TRUE(device.IsDone(device.NextSlot()))
                << "a block is done, but not the next in ring order";
            TakeFrom(device);
            if (pause) {
                pause();
            }
        }
        EXPECT_TRUE(count > 0 || !device.WaitForBlock(0));
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
    const StreamFormat low{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 1024};
    const StreamFormat high{.sampleRate = 1'000'000, .channels = 2, .slotCount = 16, .framesPerSlot = 16384};
    for (const auto& [format, blocks] : {std::pair{low, 70}, {high, 122}}) {
        SCOPED_TRACE(format.sampleRate);
        DeviceCatalog catalog(nullptr);
        OpenedInput opened = OpenRamp(catalog, format);
        RampFollower ramp{format.framesPerSlot, format.channels};
        ramp.Consume(*opened.device, blocks);
        opened.device->Stop();
        ramp.Consume(*opened.device, 0);
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
    ASSERT_TRUE(WaitUntil(device, [&] { return device.DroppedBlocks() >= 3; })); // taking nothing
    ramp.Consume(device, 4);
    EXPECT_EQ(ramp.lost, 0u) << "the full ring holds the four oldest blocks";
    ramp.Consume(device, 10);
    EXPECT_GE(ramp.lost, 3u);
    // Then a consumer slower than the device for a while, then keeping up again, so the last drop lies
    // before the last block taken and shows as a gap.
    ramp.Consume(device, 20, [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); });
    ramp.Consume(device, 10);
    device.Stop();
    ramp.Consume(device, 0);
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
    EXPECT_TRUE(WaitUntil(output, [&] { return output.IsDone(0) && output.IsDone(1); })); // all played
    output.Reset();
    output.Close();
}

// Power of one frequency in the samples (Goertzel), scaled like the mean square of the samples: a pure
// sine at that frequency gives its whole mean square.
double PowerAt(const std::vector<double>& samples, double frequency, double sampleRate) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (double x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const auto n = static_cast<double>(samples.size());
    return 2.0 * (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (n * n);
}

// The tone arrives whole (after half a second of settling, one second holds the tone and nothing beside
// it, no block dropped), the device stops and closes cleanly; then a second device sees the server
// vanish mid-run as a failure, woken by the device.
TEST(PulseCaptureRealTime, RecordsAToneAndReportsTheServerGoingAway) {
    PulseTone tone(1000);
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_TRUE(tone.Playing());
    // NB 8 slots of B 4800 frames (100 ms), mono, at 48000 samples/s.
    const StreamFormat format{.sampleRate = 48000, .channels = 1, .slotCount = 8, .framesPerSlot = 4800};
    PortAudioSystem system;
    ASSERT_TRUE(system.Ok());
    PortAudioHost host(system);
    DeviceCatalog catalog(&host);
    const int pulse = catalog.InputPosition("pulse");
    ASSERT_GT(pulse, 0) << "ALSA's pulse device is not listed";

    OpenedInput opened = catalog.OpenInput(pulse, format);
    ASSERT_TRUE(opened.device);
    ASSERT_EQ(opened.device->Start(), 0);
    std::vector<double> samples;
    for (int taken = 0; taken < 15; ++taken) {
        ASSERT_TRUE(opened.device->WaitForBlock(5000)) << "no block within 5 s";
        const int slot = opened.device->NextSlot();
        ASSERT_TRUE(opened.device->IsDone(slot));
        if (taken >= 5) {
            samples.insert(samples.end(), opened.device->Slot(slot).begin(), opened.device->Slot(slot).end());
        }
        opened.device->Requeue(slot);
    }
    opened.device->Stop();
    EXPECT_EQ(opened.device->DroppedBlocks(), 0u);
    EXPECT_FALSE(opened.device->Failed());
    opened.device->Reset();
    opened.device->Close();
    const double meanSquare = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0) /
                              static_cast<double>(samples.size());
    EXPECT_GT(meanSquare, 1000.0 * 1000.0) << "the tone is at half of full scale";
    EXPECT_GT(PowerAt(samples, 1000.0, format.sampleRate), 0.95 * meanSquare);
    EXPECT_LT(PowerAt(samples, 1500.0, format.sampleRate), 0.001 * meanSquare);

    opened = catalog.OpenInput(pulse, format);
    ASSERT_TRUE(opened.device);
    ASSERT_EQ(opened.device->Start(), 0);
    ASSERT_TRUE(opened.device->WaitForBlock(5000));
    tone.StopServer();
    EXPECT_TRUE(WaitUntil(*opened.device, [&] {
        if (opened.device->IsDone(opened.device->NextSlot())) {
            opened.device->Requeue(opened.device->NextSlot());
        }
        return opened.device->Failed();
    }));
    EXPECT_FALSE(opened.device->WaitForBlock(0));
    opened.device->Close();
}

} // namespace
} // namespace ondrix
