#include "recording/WavHeader.h"

#include "TempFolder.h"
#include "support/ByteFiles.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

// The header of a stereo 48 kHz file of 44 + 400 bytes, written out by hand.
const std::vector<uint8_t> kStereo48k444 = {'R',  'I',  'F',  'F',  0xB4, 0x01, 0x00, 0x00, 'W',  'A',  'V',
                                            'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                                            0x02, 0x00, 0x80, 0xBB, 0x00, 0x00, 0x00, 0xEE, 0x02, 0x00, 0x04,
                                            0x00, 0x10, 0x00, 'd',  'a',  't',  'a',  0x90, 0x01, 0x00, 0x00};

// Wrong bytes, sizes that wrap past 2 or 4 GiB, or short files without the -8/-44 placeholders.
TEST(WavHeader, BytesAndSizeFieldsForEveryLength) {
    const auto header = WavHeaderBytes(444, 2, 48000);
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), kStereo48k444);
    struct Case {
        uint64_t length;
        uint32_t riff, data;
    };
    for (const Case c :
         {Case{0, 0xFFFFFFF8U, 0xFFFFFFD4U}, Case{43, 0xFFFFFFF8U, 0xFFFFFFD4U},
          Case{3000000044ULL, 3000000036U, 3000000000U}, Case{5000000000ULL, 0xFFFFFFFFU, 0xFFFFFFFFU}}) {
        SCOPED_TRACE(c.length);
        const auto h = WavHeaderBytes(c.length, 1, 96000);
        const std::vector<uint8_t> b(h.begin(), h.end());
        EXPECT_EQ(Le32(b, 4), c.riff);
        EXPECT_EQ(Le32(b, 40), c.data);
        EXPECT_EQ(Le32(b, 24), 96000U);
        EXPECT_EQ(Le32(b, 28), 192000U); // bytes per second
        EXPECT_EQ(b[22], 1);             // channels
        EXPECT_EQ(b[32], 2);             // bytes per frame
    }
}

// Writing the header must create a placeholder file, never touch the samples, and read back in sox.
TEST(WavHeader, WrittenOnFilesWithoutChangingTheirData) {
    TempFolder folder;
    const std::string path = folder.Path() + "new.wav";
    ASSERT_TRUE(WriteWavHeader(path, 2, 48000));
    const auto placeholder = ReadBytes(path);
    ASSERT_EQ(placeholder.size(), 44U);
    EXPECT_EQ(Le32(placeholder, 4), 0xFFFFFFF8U);

    WriteBytes(path, std::vector<uint8_t>(444, 0xAB));
    ASSERT_TRUE(WriteWavHeader(path, 2, 48000));
    const auto closed = ReadBytes(path);
    ASSERT_EQ(closed.size(), 444U);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin(), closed.begin() + 44), kStereo48k444);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin() + 44, closed.end()), std::vector<uint8_t>(400, 0xAB));
    EXPECT_FALSE(WriteWavHeader(folder.Path() + "missing/x.wav", 1, 8000));

    WriteBytes(path, std::vector<uint8_t>(44 + 3 * 2 * 1000, 0x01)); // 1000 frames of three channels
    ASSERT_TRUE(WriteWavHeader(path, 3, 22050));
    if (const auto sox = SoxInfo(path)) {
        EXPECT_EQ(*sox, "22050\n3\n1000\n16\n");
    }
}

} // namespace
} // namespace ondrix
