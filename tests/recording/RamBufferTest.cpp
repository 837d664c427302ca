// The RAM buffer: capacity in whole blocks, the fill shown with round-half-even, wrap-around, and every
// save writing exactly the samples it should, oldest first, under a header that counts them.
#include "recording/RamBuffer.h"
#include "TempFolder.h"
#include "support/ByteFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ondrix {
namespace {

constexpr int kBlock = 65536;    // values per block: 1 MB holds 8 blocks
constexpr uint32_t kRate = 2048; // mono: one second is one save step of 2048 values

// Value k of a ramp that differs from block to block.
int16_t RampValue(int64_t k) {
    return static_cast<int16_t>(k % 65521);
}

// Appends `blocks` blocks of the ramp; gives the fills shown and, in `full`, each block's full flag.
std::vector<int> Fill(RamBuffer& buffer, int blocks, std::vector<bool>* full = nullptr) {
    std::vector<int> percents;
    std::vector<int16_t> block(kBlock);
    for (int b = 0; b < blocks; ++b) {
        std::ranges::generate(block, [k = int64_t{b} * kBlock]() mutable { return RampValue(k++); });
        const RamBuffer::Appended appended = buffer.AppendBlock(block);
        if (appended.percent) {
            percents.push_back(*appended.percent);
        }
        if (full) {
            full->push_back(appended.full);
        }
    }
    return percents;
}

// The saved file holds `count` ramp values starting at ramp index `first`, under a header saying so.
void ExpectRamp(const std::string& path, int64_t first, int64_t count) {
    const std::vector<uint8_t> file = ReadBytes(path);
    ASSERT_EQ(static_cast<int64_t>(file.size()), 44 + 2 * count);
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_EQ(Le32(file, 24), kRate);
    for (int64_t k = 0; k < count; ++k) {
        const auto at = static_cast<std::size_t>(44 + 2 * k);
        const auto value = static_cast<int16_t>(file[at] | file[at + 1] << 8);
        if (value != RampValue(first + k)) {
            FAIL() << "value " << k << " is " << value;
        }
    }
}

// A capacity that is no whole number of blocks, or an "off" buffer that takes blocks.
TEST(RamBuffer, CapacityIsWholeBlocksAndOffHoldsNothing) {
    RamBuffer buffer;
    const struct {
        int megabytes, block;
        int64_t capacity;
    } cases[] = {{4, 4096, 2097152}, {1, 3000, 522000}, {0, 4096, 0}, {-4, 4096, 0}, {4, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_TRUE(buffer.Start(c.megabytes, RamBufferMode::Circular, c.block, 1, kRate));
        EXPECT_EQ(buffer.Capacity(), c.capacity) << c.megabytes << " MB, block " << c.block;
        EXPECT_EQ(buffer.On(), c.capacity > 0);
    }
    EXPECT_TRUE(Fill(buffer, 1).empty());
    EXPECT_EQ(buffer.WritePosition(), 0);
    // Stereo at 48 kHz, 4 MB: about 21.8 seconds, empty until a block comes.
    buffer.Start(4, RamBufferMode::Circular, 8192, 2, 48000);
    EXPECT_EQ(buffer.Capacity(), 2097152);
    EXPECT_NEAR(buffer.Seconds(), 21.845, 0.001);
    EXPECT_FALSE(buffer.HoldsSound());
    buffer.AppendBlock(std::vector<int16_t>(8192));
    EXPECT_TRUE(buffer.HoldsSound());
}

// Saves must hold the newest samples oldest first (also across the wrap), in whole steps, within what the
// buffer holds, replacing a longer file of the name.
TEST(RamBuffer, SavesWriteTheNewestSamplesOldestFirst) {
    TempFolder folder;
    const std::string path = folder.Path() + "buffer.wav";
    constexpr int64_t kFull = 8 * kBlock;
    constexpr auto C = RamBufferMode::Circular;
    using enum RamBuffer::Saved;
    const struct {
        const char* name;
        RamBufferMode mode;
        int blocks;
        double seconds; // < 0: the whole buffer
        RamBuffer::Saved saved;
        int64_t first, count; // ramp index of the first value saved, values saved
    } cases[] = {
        {"part of three blocks", C, 3, 10, Requested, 3 * kBlock - 20480, 20480},
        {"fractions of a step are dropped", C, 3, 10.9, Requested, 3 * kBlock - 20480, 20480},
        {"more than recorded", C, 3, 200, Requested, 0, 3 * kBlock},
        {"whole before wrapping", C, 3, -1, Whole, 0, 3 * kBlock},
        {"across the wrap", C, 11, 200, Requested, 11 * kBlock - 409600, 409600},
        {"within the newest", C, 11, 10, Requested, 11 * kBlock - 20480, 20480},
        {"whole after wrapping", C, 11, -1, Whole, 3 * kBlock, kFull},
        {"more than it holds", C, 11, 300, Shorter, 3 * kBlock, kFull},
        {"full stops taking blocks", RamBufferMode::StopWhenFull, 11, -1, Whole, 0, kFull},
        {"newest of a full buffer", RamBufferMode::StopWhenFull, 11, 10, Requested, kFull - 20480, 20480},
        {"nothing asked", C, 3, 0, Requested, 0, 0},
    };
    WriteBytes(path, std::vector<uint8_t>(3 * kFull, 0x55));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RamBuffer buffer;
        buffer.Start(1, c.mode, kBlock, 1, kRate);
        Fill(buffer, c.blocks);
        EXPECT_EQ(c.seconds < 0 ? buffer.SaveWhole(path) : buffer.SaveLastSeconds(path, c.seconds), c.saved);
        ExpectRamp(path, c.first, c.count);
    }
    RamBuffer buffer;
    buffer.Start(1, C, kBlock, 1, kRate);
    EXPECT_EQ(buffer.SaveWhole(folder.Path() + "no/such/folder.wav"), Failed);
}

// A fill rounded the wrong way or shown unchanged, a full stop-when-full buffer not stopping the run, or a
// circular one stopping it.
TEST(RamBuffer, FillIsShownWhenItChangesAndAFullBufferStopsTheRun) {
    RamBuffer buffer;
    buffer.Start(1, RamBufferMode::StopWhenFull, kBlock, 1, kRate);
    std::vector<bool> full;
    // Eighths of the buffer, rounded half to even: 12.5 -> 12, 37.5 -> 38.
    EXPECT_EQ(Fill(buffer, 9, &full), (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(full, (std::vector<bool>{false, false, false, false, false, false, false, true, true}));
    EXPECT_TRUE(buffer.Wrapped());

    buffer.Start(1, RamBufferMode::Circular, kBlock, 1, kRate);
    full.clear();
    Fill(buffer, 9, &full);
    EXPECT_EQ(std::count(full.begin(), full.end(), true), 0);
    EXPECT_EQ(buffer.WritePosition(), kBlock);
    buffer.Empty(); // file playback
    EXPECT_FALSE(buffer.Wrapped());
    EXPECT_EQ(buffer.WritePosition(), 0);
}

} // namespace
} // namespace ondrix
