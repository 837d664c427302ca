// The slot contracts without threads: one side is the test, the other side the rings' own calls.
#include "audio/CaptureRing.h"
#include "audio/PlaybackRing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace ondrix {
namespace {

// Stereo frames whose left sample counts from `first` and whose right sample is its negative.
std::vector<int16_t> Frames(int first, int count) {
    std::vector<int16_t> frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(static_cast<int16_t>(first + i));
        frames.push_back(static_cast<int16_t>(-(first + i)));
    }
    return frames;
}

// The left samples of a slot.
std::vector<int16_t> Left(std::span<const int16_t> slot) {
    std::vector<int16_t> left;
    for (std::size_t i = 0; i < slot.size(); i += 2) {
        left.push_back(slot[i]);
    }
    return left;
}

std::vector<int16_t> Count(int first, int count) {
    std::vector<int16_t> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), static_cast<int16_t>(first));
    return values;
}

// Writes frames first.. in pieces of `piece` frames, the way a callback's buffers arrive.
void WriteInPieces(CaptureRing& ring, int first, int count, int piece) {
    for (int done = 0; done < count; done += piece) {
        const int n = std::min(piece, count - done);
        const std::vector<int16_t> frames = Frames(first + done, n);
        ring.Write(frames.data(), static_cast<std::size_t>(n));
    }
}

TEST(CaptureRing, FillsSlotsInRingOrderAcrossWritesOfAnyLength) {
    CaptureRing ring;
    ring.Configure(3, 8, 2); // NB 3, B 8, stereo
    WriteInPieces(ring, 0, 20, 3);
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_TRUE(ring.IsDone(1));
    EXPECT_FALSE(ring.IsDone(2)); // 4 of 8 frames so far
    EXPECT_EQ(Left(ring.Slot(0)), Count(0, 8));
    EXPECT_EQ(ring.Slot(1)[1], -8);
    EXPECT_TRUE(ring.Wake().Wait(0));

    ring.Requeue(0);
    EXPECT_EQ(ring.NextSlot(), 1);
    WriteInPieces(ring, 20, 12, 5); // completes slot 2, then fills slot 0 again
    EXPECT_EQ(Left(ring.Slot(2)), Count(16, 8));
    EXPECT_EQ(Left(ring.Slot(0)), Count(24, 8));
    EXPECT_EQ(ring.DroppedBlocks(), 0u);

    // Silence from a callback without data.
    ring.Requeue(1);
    ring.Write(nullptr, 8);
    EXPECT_EQ(Left(ring.Slot(1)), std::vector<int16_t>(8, 0));
}

TEST(CaptureRing, AFullRingDropsWholeBlocksAndResumesAtABlockBoundary) {
    CaptureRing ring;
    ring.Configure(2, 4, 2);
    WriteInPieces(ring, 0, 8, 8); // both slots done
    WriteInPieces(ring, 8, 6, 3); // block 2 dropped, block 3 half written (dropped too)
    EXPECT_EQ(ring.DroppedBlocks(), 1u);
    ring.Requeue(0); // free again in the middle of a dropped block: that block stays dropped
    WriteInPieces(ring, 14, 2, 1);
    EXPECT_EQ(ring.DroppedBlocks(), 2u);
    EXPECT_FALSE(ring.IsDone(0));
    WriteInPieces(ring, 16, 4, 3); // block 4 lands in slot 0, the next in ring order
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_EQ(Left(ring.Slot(0)), Count(16, 4));
    EXPECT_EQ(Left(ring.Slot(1)), Count(4, 4)); // untouched while done

    // Slot 1, the next in ring order, is still done: the next block is dropped.
    WriteInPieces(ring, 20, 4, 4);
    EXPECT_EQ(ring.DroppedBlocks(), 3u);
    // Freeing a later slot than the next in ring order does not let the producer skip to it.
    ring.Requeue(0);
    WriteInPieces(ring, 24, 4, 4);
    EXPECT_EQ(ring.DroppedBlocks(), 4u);
    EXPECT_FALSE(ring.IsDone(0));

    ring.Reset();
    EXPECT_FALSE(ring.AnyDone());
    EXPECT_EQ(ring.NextSlot(), 0);
    WriteInPieces(ring, 100, 4, 4);
    EXPECT_EQ(Left(ring.Slot(0)), Count(100, 4));
}

TEST(PlaybackRing, PlaysSlotsInTheOrderQueuedThenSilence) {
    PlaybackRing ring;
    ring.Configure(2, 4, 1);
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_TRUE(ring.IsDone(1));
    std::vector<int16_t> out(6, 99);
    ring.Read(out.data(), 6); // nothing queued yet: silence, not an underrun
    EXPECT_EQ(out, std::vector<int16_t>(6, 0));
    EXPECT_EQ(ring.Underruns(), 0u);

    const std::vector<int16_t> a{1, 2, 3, 4};
    const std::vector<int16_t> b{5, 6, 7, 8};
    std::copy(a.begin(), a.end(), ring.Slot(1).begin());
    std::copy(b.begin(), b.end(), ring.Slot(0).begin());
    EXPECT_TRUE(ring.Queue(1, 4));
    EXPECT_FALSE(ring.Queue(1, 4)); // not done yet
    EXPECT_TRUE(ring.Queue(0, 3));  // a short last block
    EXPECT_FALSE(ring.IsDone(1));

    out.assign(3, 0);
    ring.Read(out.data(), 3);
    EXPECT_EQ(out, (std::vector<int16_t>{1, 2, 3}));
    EXPECT_FALSE(ring.IsDone(1));
    out.assign(6, 99);
    ring.Read(out.data(), 6);
    EXPECT_EQ(out, (std::vector<int16_t>{4, 5, 6, 7, 0, 0}));
    EXPECT_TRUE(ring.IsDone(1));
    EXPECT_TRUE(ring.IsDone(0));
    EXPECT_EQ(ring.Underruns(), 1u);
    EXPECT_TRUE(ring.Wake().Wait(0));

    ring.Queue(1, 4);
    ring.Reset();
    EXPECT_TRUE(ring.IsDone(1));
    ring.Read(out.data(), 2);
    EXPECT_EQ(out[0], 0);
}

} // namespace
} // namespace ondrix
