#include "recording/WavHeader.h"

#include "RecordingFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

// The header of a stereo 48 kHz file of 44 + 400 bytes, written out by hand.
const std::vector<uint8_t> kStereo48k444 = {'R',  'I',  'F',  'F',  0xB4, 0x01, 0x00, 0x00, 'W',  'A',  'V',
                                            'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                                            0x02, 0x00, 0x80, 0xBB, 0x00, 0x00, 0x00, 0xEE, 0x02, 0x00, 0x04,
                                            0x00, 0x10, 0x00, 'd',  'a',  't',  'a',  0x90, 0x01, 0x00, 0x00};

TEST(WavHeader, BytesOfAClosedFile) {
    const auto header = WavHeaderBytes(444, 2, 48000);
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), kStereo48k444);
}

TEST(WavHeader, PlaceholdersAndLimits) {
    // An empty or short file: -8 and -44 as 32-bit two's complement.
    for (const uint64_t length : {0ULL, 10ULL, 43ULL}) {
        const auto h = WavHeaderBytes(length, 1, 96000);
        const std::vector<uint8_t> b(h.begin(), h.end());
        EXPECT_EQ(Le32(b, 4), 0xFFFFFFF8U) << length;
        EXPECT_EQ(Le32(b, 40), 0xFFFFFFD4U) << length;
        EXPECT_EQ(Le32(b, 24), 96000U);
        EXPECT_EQ(Le32(b, 28), 192000U);
        EXPECT_EQ(b[22], 1);
        EXPECT_EQ(b[32], 2);
    }
    // Sizes beyond 2 GiB are unsigned, and a file past 4 GiB saturates instead of wrapping.
    const auto big = WavHeaderBytes(3000000044ULL, 1, 8000);
    const std::vector<uint8_t> b(big.begin(), big.end());
    EXPECT_EQ(Le32(b, 4), 3000000036U);
    EXPECT_EQ(Le32(b, 40), 3000000000U);
    const auto huge = WavHeaderBytes(5000000000ULL, 1, 8000);
    const std::vector<uint8_t> h(huge.begin(), huge.end());
    EXPECT_EQ(Le32(h, 4), 0xFFFFFFFFU);
    EXPECT_EQ(Le32(h, 40), 0xFFFFFFFFU);
}

TEST(WavHeader, WrittenOnFilesWithoutChangingTheirData) {
    TempFolder folder;
    // A new file: created with the placeholder header, 44 bytes long.
    const std::string fresh = folder.Path() + "new.wav";
    ASSERT_TRUE(WriteWavHeader(fresh, 2, 48000));
    const auto placeholder = ReadBytes(fresh);
    ASSERT_EQ(placeholder.size(), 44U);
    EXPECT_EQ(Le32(placeholder, 4), 0xFFFFFFF8U);
    EXPECT_EQ(Le32(placeholder, 40), 0xFFFFFFD4U);

    // A file with data: only the first 44 bytes change, the length and the samples stay.
    std::vector<uint8_t> content(444, 0xAB);
    WriteBytes(fresh, content);
    ASSERT_TRUE(WriteWavHeader(fresh, 2, 48000));
    const auto closed = ReadBytes(fresh);
    ASSERT_EQ(closed.size(), 444U);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin(), closed.begin() + 44), kStereo48k444);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin() + 44, closed.end()), std::vector<uint8_t>(400, 0xAB));

    // A folder that does not exist cannot take a file.
    EXPECT_FALSE(WriteWavHeader(folder.Path() + "missing/x.wav", 1, 8000));
}

TEST(WavHeader, ReadBackBySox) {
    if (!SoxAvailable()) {
        GTEST_SKIP() << "sox is not installed";
    }
    TempFolder folder;
    const std::string path = folder.Path() + "tone.wav";
    WriteBytes(path, std::vector<uint8_t>(44 + 3 * 2 * 1000, 0x01)); // 1000 frames of three channels
    ASSERT_TRUE(WriteWavHeader(path, 3, 22050));
    EXPECT_EQ(CommandOutput("soxi -r '" + path + "'"), "22050\n");
    EXPECT_EQ(CommandOutput("soxi -c '" + path + "'"), "3\n");
    EXPECT_EQ(CommandOutput("soxi -s '" + path + "'"), "1000\n");
    EXPECT_EQ(CommandOutput("soxi -b '" + path + "'"), "16\n");
}

} // namespace
} // namespace ondrix
