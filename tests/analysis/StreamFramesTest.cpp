#include "analysis/StreamFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace ondrix {
namespace {

// Stream sample n of a session whose first `history` samples are the leading zeros: the ramp value
// of real sample n - history.
int16_t Expected(int64_t n, int history) {
    return n < history ? int16_t{0} : static_cast<int16_t>(static_cast<uint16_t>(n - history));
}

// Feeds ramp blocks and checks every frame: column k starts at stream sample k x step.
void CheckAnchoring(int fftSize, int step, int block, int blocks) {
    StreamFrames frames(fftSize, step, block);
    const int history = frames.History();
    std::vector<int16_t> data(static_cast<std::size_t>(block));
    int64_t produced = 0;
    int64_t column = 0;
    for (int b = 0; b < blocks; ++b) {
        for (int16_t& sample : data) {
            sample = static_cast<int16_t>(static_cast<uint16_t>(produced++));
        }
        frames.Append(data);
        std::span<const int16_t> frame;
        while (frames.NextFrame(frame)) {
            ASSERT_EQ(frame.size(), static_cast<std::size_t>(fftSize));
            const int64_t start = column * step;
            for (int i = 0; i < fftSize; ++i) {
                ASSERT_EQ(frame[i], Expected(start + i, history)) << "column " << column << " sample " << i;
            }
            ++column;
        }
        frames.Compact();
    }
    // Every frame whose samples have arrived was cut, none twice.
    const int64_t streamEnd = history + produced;
    EXPECT_EQ(column, (streamEnd - fftSize) / step + 1) << "step " << step;
}

TEST(StreamFrames, ColumnKStartsAtKTimesTheStepWhenTheStepDoesNotDivideTheBlock) {
    for (int step : {192, 384, 480}) {
        CheckAnchoring(1024, step, 4096, 12);
    }
    CheckAnchoring(512, 240, 1024, 20);
    CheckAnchoring(1024, 768, 2048, 9);
}

TEST(StreamFrames, StepsBeyondTheFrameSkipSamples) {
    CheckAnchoring(1024, 3000, 4096, 10); // no history; samples between frames are never kept
    CheckAnchoring(256, 4096, 4096, 5);
}

// When the step divides the block, every block yields block / step columns and keeps exactly the last
// FFT size - step samples as the next block's history.
TEST(StreamFrames, DividingStepsGiveFixedColumnsPerBlock) {
    StreamFrames frames(1024, 256, 4096);
    EXPECT_EQ(frames.History(), 768);
    std::vector<int16_t> block(4096, 1);
    for (int b = 0; b < 3; ++b) {
        const int64_t before = frames.NextColumn();
        frames.Append(block);
        std::span<const int16_t> frame;
        while (frames.NextFrame(frame)) {
        }
        frames.Compact();
        EXPECT_EQ(frames.NextColumn() - before, 16);
        // The next frame starts at the last 768 samples of the stream so far: the history kept.
        EXPECT_EQ(frames.Start(), (b + 1) * 4096);
    }
    EXPECT_EQ(StreamFrames(1024, 1024, 4096).History(), 0);
    EXPECT_EQ(StreamFrames(1024, 2048, 4096).History(), 0);
}

} // namespace
} // namespace ondrix
