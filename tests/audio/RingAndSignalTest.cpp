// The slot rings without threads (one side is the test, the other the rings' own calls), and the built-in
// signals and block clock the built-in devices run on.
#include "audio/BlockClock.h"
#include "audio/CaptureRing.h"
#include "audio/PlaybackRing.h"
#include "audio/TestRamp.h"
#include "audio/TestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
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

Samples Held(std::span<const int16_t> slot) {
    return {slot.begin(), slot.end()};
}

// Slots fill in ring order across writes of any length, signal the wake-up, take a callback without
// data as silence.
TEST(CaptureRing, FillsSlotsInRingOrderAcrossWritesOfAnyLength) {
    CaptureRing ring;
    ring.Configure(3, 8, 2); // NB 3, B 8, stereo
    Write(ring, 0, 20, 3);
    EXPECT_TRUE(ring.IsDone(0) && ring.IsDone(1));
    EXPECT_FALSE(ring.IsDone(2)); // 4 of 8 frames so far
    EXPECT_EQ(Held(ring.Slot(0)), Frames(0, 8));
    EXPECT_EQ(Held(ring.Slot(1)), Frames(8, 8));
    EXPECT_TRUE(ring.Wake().Wait(0));
    ring.Requeue(0);
    EXPECT_EQ(ring.NextSlot(), 1);
    Write(ring, 20, 12, 5); // completes slot 2, then fills slot 0 again
    EXPECT_EQ(Held(ring.Slot(2)), Frames(16, 8));
    EXPECT_EQ(Held(ring.Slot(0)), Frames(24, 8));
    EXPECT_EQ(ring.DroppedBlocks(), 0u);
    ring.Requeue(1);
    ring.Write(nullptr, 8);
    EXPECT_EQ(Held(ring.Slot(1)), Samples(16, 0));
}

// A full ring drops whole blocks (a block it could only half write too) and resumes at a block boundary
// in the next slot in ring order, never skipping ahead to a later free slot; Reset starts over.
TEST(CaptureRing, AFullRingDropsWholeBlocksAndResumesAtABlockBoundary) {
    CaptureRing ring;
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
    EXPECT_EQ(Held(ring.Slot(0)), Frames(16, 4));
    EXPECT_EQ(Held(ring.Slot(1)), Frames(4, 4)); // untouched while done
    Write(ring, 20, 4, 4);                       // slot 1 is next and still done: dropped
    EXPECT_EQ(ring.DroppedBlocks(), 3u);
    ring.Requeue(0);
    Write(ring, 24, 4, 4); // slot 0 is free, but slot 1 is next: dropped
    EXPECT_EQ(ring.DroppedBlocks(), 4u);
    EXPECT_FALSE(ring.IsDone(0));
    ring.Reset();
    EXPECT_FALSE(ring.AnyDone());
    EXPECT_EQ(ring.NextSlot(), 0);
    Write(ring, 100, 4, 4);
    EXPECT_EQ(Held(ring.Slot(0)), Frames(100, 4));
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
// sound well above silence with a short overload burst in every overload period.
TEST(TestScene, IsDeterministicFromItsSeedAndHasSoundAndOverloads) {
    const TestScene scene(48000, 2, 7);
    const Samples whole = Render(scene, 1000, 9600, 2);
    EXPECT_EQ(Render(TestScene(48000, 2, 7), 1000, 9600, 2), whole);
    EXPECT_NE(Render(TestScene(48000, 2, 8), 1000, 9600, 2), whole);
    Samples pieces = Render(scene, 1000, 1234, 2);
    const Samples rest = Render(scene, 2234, 9600 - 1234, 2);
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
    bool differ = false;
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
}

// The ramp carries the frame number, wrapping, in every channel; the clock converts exactly and does not
// overflow over a day at 1 000 000 samples/s.
TEST(TestRamp, CarriesTheFrameNumberAndTheClockCountsExactly) {
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

} // namespace
} // namespace ondrix
