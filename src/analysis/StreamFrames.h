// The samples columns are cut from, with every frame anchored in the stream of the session.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ondrix {

// Blocks are appended behind the samples later frames still need. The stream starts with
// max(FFT size - scan step, 0) zeros of history, as if silence preceded the session, and the frame of
// column k starts at stream sample k x scan step, whatever the block size: when the step does not
// divide the block, the offset carries over to the next block instead of being rounded per block. A
// frame is ready once all its FFT-size samples have arrived; when the step divides the block, a block
// therefore yields block / step columns and keeps exactly the last FFT size - step samples.
class StreamFrames {
public:
    // Allocates room for the tail and the largest block; nothing is allocated afterwards.
    StreamFrames(int fftSize, int scanStep, int maxBlock);

    // Copies a block behind the tail and returns where its samples now lie, for conditioning in place.
    // Samples that no frame will read (a step longer than the FFT size) are not kept.
    std::span<int16_t> Append(std::span<const int16_t> block);

    // The next frame (FFT-size samples) when all its samples have arrived; its column number is
    // NextColumn() before the call.
    bool NextFrame(std::span<const int16_t>& frame);
    // Drops the samples before the next frame's start (call after the frames of a block).
    void Compact();

    int64_t NextColumn() const { return nextColumn_; }
    int History() const { return history_; }
    // The stream position of the first sample kept.
    int64_t Start() const { return start_; }

private:
    int fftSize_;
    int scanStep_;
    int history_;
    std::vector<int16_t> samples_;
    std::size_t fill_ = 0; // samples kept
    int64_t start_ = 0;    // stream position of samples_[0]
    int64_t skip_ = 0;     // samples of the coming blocks that no frame reads
    int64_t nextColumn_ = 0;
};

} // namespace ondrix
