// The recorder's time stamp in a file name, and stereo pages reduced to one channel without wrapping.
#include "files/DaytimeStamp.h"
#include "files/FilePageChannels.h"

#include <gtest/gtest.h>

#include <vector>

namespace ondrix {
namespace {

TEST(DaytimeTest, TheRecordersTimeStampGivesTheTimeOfDayOfAFrame) {
    const std::string name = "prefix_0001_20240131_235959.wav";
    EXPECT_EQ(DaytimeText(name, "2024", 2.5), "Daytime: File 23:59:59  Frame 24:00:01.500");
    EXPECT_EQ(DaytimeText(name, "20240131", 0.0), "Daytime: File 23:59:59  Frame 23:59:59.000");
    // The tag must start the date: one character early, the time field holds "_23595".
    EXPECT_EQ(DaytimeText(name, "_2024", 0.0), "No timestamp");
    EXPECT_EQ(DaytimeText(name, "", 0.0), "No timestamp");
    EXPECT_EQ(DaytimeText("take1.wav", "2024", 0.0), "No timestamp");
    EXPECT_EQ(DaytimeText("x_20240131_2359.wav", "2024", 0.0), "No timestamp");
}

TEST(DaytimeTest, TwoChannelsBecomeOneWithoutClipping) {
    const std::vector<int16_t> frames = {32767, 32767, 32767, -32768, -32768, -32768, 100, -7};
    std::vector<int16_t> out(4);
    ReduceToMono(frames, 2, StereoChoice::LeftPlusRight, out);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -1, -32768, 46}));
    ReduceToMono(frames, 2, StereoChoice::LeftMinusRight, out);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 32767, 0, 53}));
    ReduceToMono(frames, 2, StereoChoice::Right, out);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, -32768, -7}));
    ReduceToMono(frames, 2, StereoChoice::Stereo, out);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, 32767, -32768, 100}));
    EXPECT_EQ(ChannelModeText(1, StereoChoice::Right), "M"); // one channel is mono whatever the choice
}

} // namespace
} // namespace ondrix
