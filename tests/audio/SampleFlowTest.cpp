// How samples flow: slot rings without threads, built-in signals and clock, built-in devices in real time
// judged by the test ramp, and real capture from a private PulseAudio server through ALSA's "pulse"
// device. Real-time tests hold "RealTime" in their names and run alone.
#include "audio/BlockClock.h"
#include "audio/CaptureRing.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceNames.h"
#include "audio/NullOutput.h"
#include "audio/PlaybackRing.h"
#include "audio/PortAudioHost.h"
#include "audio/TestRamp.h"
#include "audio/TestScene.h"
#include "support/PulseServer.h"
#include "support/ToneMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <numeric>
#include <thread>
#include <vector>

namespace ondrix {
namespace {

using Samples = std::vector<int16_t>;

// Stereo frames first.. : the left sample counts up, the right one is its negative.
Samples Frames(int first, int count) {
    Samples frames;
    for (int i = first; i < first + count; ++i) {
        frames.insert(frames.end(), {static_cast<int16_t>(i), static_cast<int16_t>(-i)});
    }
    return frames;
}

// Writes frames first.. in pieces of `piece` frames, the way a callback's buffers arrive.
void Write(CaptureRing& ring, int first, int count, int piece) {
    for (int done = 0; done < count; done += piece) {
        const Samples frames = Frames(first + done, std::min(piece, count - done));
        ring.Write(frames.data(), frames.size() / 2);
    }
}

// Slots fill in ring order across writes of any length, signal the wake-up, take a callback without
// data as silence. A full ring drops whole blocks (a block it could only half write too) and resumes at a
// block boundary in the next slot in ring order, never skipping ahead to a later free slot; Reset starts
// over.
TEST(CaptureRing, FillsSlotsInRingOrderAndAFullRingDropsWholeBlocks) {
    CaptureRing ring;
    ring.Configure(3, 8, 2); // NB 3, B 8, stereo
    Write(ring, 0, 20, 3);
    EXPECT_TRUE(ring.IsDone(0) && ring.IsDone(1));
    EXPECT_FALSE(ring.IsDone(2)); // 4 of 8 frames so far
    EXPECT_EQ(Samples(ring.Slot(0).begin(), ring.Slot(0).end()), Frames(0, 8));
    EXPECT_EQ(Samples(ring.Slot(1).begin(), ring.Slot(1).end()), Frames(8, 8));
    EXPECT_TRUE(ring.Wake().Wait(0));
    ring.Requeue(0);
    EXPECT_EQ(ring.NextSlot(), 1);
    Write(ring, 20, 12, 5); // completes slot 2, then fills slot 0 again
    EXPECT_EQ(Samples(ring.Slot(2).begin(), ring.Slot(2).end()), Frames(16, 8));
    EXPECT_EQ(Samples(ring.Slot(0).begin(), ring.Slot(0).end()), Frames(24, 8));
    EXPECT_EQ(ring.DroppedBlocks(), 0u);
    ring.Requeue(1);
    ring.Write(nullptr, 8);
    EXPECT_EQ(Samples(ring.Slot(1).begin(), ring.Slot(1).end()), Samples(16, 0));

    ring.Configure(2, 4, 2);
    Write(ring, 0, 8, 8); // both slots done
    Write(ring, 8, 6, 3); // block 2 dropped, block 3 half written (dropped too)
    EXPECT_EQ(ring.DroppedBlocks(), 1u);
    ring.Requeue(0);       // free again in the middle of a dropped block: that block stays dropped
    Write(ring, 14, 2, 1); // the rest of block 3
    EXPECT_EQ(ring.DroppedBlocks(), 2u);
    EXPECT_FALSE(ring.IsDone(0));
    Write(ring, 16, 4, 3); // block 4 lands in slot 0
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_EQ(Samples(ring.Slot(0).begin(), ring.Slot(0).end()), Frames(16, 4));
    EXPECT_EQ(Samples(ring.Slot(1).begin(), ring.Slot(1).end()), Frames(4, 4)); // untouched while done
    Write(ring, 20, 4, 4); // slot 1 is next and still done: dropped
    EXPECT_EQ(ring.DroppedBlocks(), 3u);
    ring.Requeue(0);
    Write(ring, 24, 4, 4); // slot 0 is free, but slot 1 is next: dropped
    EXPECT_EQ(ring.DroppedBlocks(), 4u);
    EXPECT_FALSE(ring.IsDone(0));
    ring.Reset();
    EXPECT_FALSE(ring.AnyDone());
    EXPECT_EQ(ring.NextSlot(), 0);
    Write(ring, 100, 4, 4);
    EXPECT_EQ(Samples(ring.Slot(0).begin(), ring.Slot(0).end()), Frames(100, 4));
}

// Playback: silence before anything is queued (not an underrun), slots in the order queued with a short
// last block, silence and one underrun when the queue runs dry; Reset frees every slot.
TEST(PlaybackRing, PlaysSlotsInTheOrderQueuedThenSilence) {
    PlaybackRing ring;
    ring.Configure(2, 4, 1);
    EXPECT_TRUE(ring.IsDone(0) && ring.IsDone(1));
    Samples out(6, 99);
    ring.Read(out.data(), 6);
    EXPECT_EQ(out, Samples(6, 0));
    EXPECT_EQ(ring.Underruns(), 0u);
    std::iota(ring.Slot(1).begin(), ring.Slot(1).end(), 1);
    std::iota(ring.Slot(0).begin(), ring.Slot(0).end(), 5);
    EXPECT_TRUE(ring.Queue(1, 4));
    EXPECT_FALSE(ring.Queue(1, 4)); // not done yet
    EXPECT_TRUE(ring.Queue(0, 3));  // a short last block
    out.assign(3, 0);
    ring.Read(out.data(), 3);
    EXPECT_EQ(out, (Samples{1, 2, 3}));
    EXPECT_FALSE(ring.IsDone(1));
    out.assign(6, 99);
    ring.Read(out.data(), 6);
    EXPECT_EQ(out, (Samples{4, 5, 6, 7, 0, 0}));
    EXPECT_TRUE(ring.IsDone(1) && ring.IsDone(0));
    EXPECT_EQ(ring.Underruns(), 1u);
    EXPECT_TRUE(ring.Wake().Wait(0));
    ring.Queue(1, 4);
    ring.Reset();
    EXPECT_TRUE(ring.IsDone(1));
    ring.Read(out.data(), 2);
    EXPECT_EQ(out[0], 0);
}

Samples Render(const SignalSource& source, uint64_t first, int frames, int channels) {
    Samples out(static_cast<std::size_t>(frames * channels));
    source.Render(first, out.data(), frames);
    return out;
}

// The scene repeats from its seed whatever the cut, its channels differ, and at every rate it carries
// sound well above silence with a short overload burst in every overload period. The ramp carries the
// frame number, wrapping, in every channel; the clock converts exactly and does not overflow over a day
// at 1 000 000 samples/s.
TEST(BuiltInSignals, SceneIsDeterministicWithSoundAndOverloadsRampAndClockCountExactly) {
    const TestScene scene(48000, 2, 7);
    const Samples whole = Render(scene, 1000, 9600, 2);
    EXPECT_EQ(Render(TestScene(48000, 2, 7), 1000, 9600, 2), whole);
    EXPECT_NE(Render(TestScene(48000, 2, 8), 1000, 9600, 2), whole);
    Samples pieces = Render(scene, 1000, 1234, 2);
    const Samples rest = Render(scene, 2234, 9600 - 1234, 2);
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
    bool differ = false; // the two channels carry different mixes
    for (std::size_t i = 0; i < whole.size(); i += 2) {
        differ = differ || whole[i] != whole[i + 1];
    }
    EXPECT_TRUE(differ);
    for (const int rate : {8000, 48000, 1'000'000}) {
        const TestScene mono(rate, 1, 3);
        const auto frames = static_cast<int>(mono.OverloadPeriod());
        const Samples samples = Render(mono, 0, frames, 1);
        const auto overloads =
            std::count_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s) > 32000; });
        EXPECT_GT(overloads, 0) << rate;
        EXPECT_LT(overloads, frames / 20) << rate; // a short burst, not a clipped recording
        const double energy = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0);
        EXPECT_GT(energy / frames, 500.0 * 500.0) << rate; // tones, sweep and noise
    }
    EXPECT_EQ(Render(TestRamp(2), 65534, 4, 2), (Samples{-2, -2, -1, -1, 0, 0, 1, 1}));
    EXPECT_EQ(TestRamp::ValueAt(32768), -32768);
    using std::chrono::nanoseconds;
    EXPECT_EQ(BlockClock::FramesToTime(48000, 48000), nanoseconds(1'000'000'000));
    EXPECT_EQ(BlockClock::FramesToTime(1, 1'000'000), nanoseconds(1000));
    EXPECT_EQ(BlockClock::FramesToTime(3'600'000'000ull * 10, 1'000'000), nanoseconds(36'000'000'000'000));
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(999'999'999), 48000, 4800), 9u);
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(1'000'000'000), 48000, 4800), 10u);
    EXPECT_EQ(BlockClock::BlocksDone(nanoseconds(86'400'000'000'000), 1'000'000, 1'000'000), 86'400u);
}

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
    int frames, channels;
    uint16_t next = 0;
    uint64_t blocks = 0, lost = 0;
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

OpenedInput OpenRamp(const StreamFormat& format) {
    static DeviceCatalog catalog(nullptr);
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
        OpenedInput opened = OpenRamp(format);
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
    OpenedInput opened = OpenRamp(format);
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

// The tone arrives whole (after half a second of settling, one second holds the tone and nothing beside
// it, no block dropped), the device stops and closes cleanly; then a second device sees the server
// vanish mid-run as a failure, woken by the device.
TEST(PulseCaptureRealTime, RecordsAToneAndReportsTheServerGoingAway) {
    PulseTone tone(1000);
    if (!PulseServerAvailable()) {
        GTEST_SKIP() << "PulseAudio or sox is not installed (scripts/install-deps.sh installs them)";
    }
    ASSERT_TRUE(tone.Playing());
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
