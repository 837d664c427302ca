// How the frames read from a file become the one-channel traces a page analyses.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

class ControlModel;

// The "Stereo Files" choice of the Basic Settings for two-channel files.
enum class StereoChoice { Stereo, Left, Right, LeftPlusRight, LeftMinusRight };

StereoChoice StereoChoiceFrom(const ControlModel& basic);

// The channel-mode text of the status: "M" for one channel, "L", "R", "L+R", "L-R" for two or three
// channels; the one-trace loop analyses "Stereo" as the left channel ("L").
std::string ChannelModeText(int channels, StereoChoice choice);

// One trace from interleaved frames of `channels` channels: a mono file as it is; otherwise the left or
// right channel, or (L + R) / 2 or (L - R) / 2, halved so that no sum clips. Writes frames.size() /
// channels samples.
void ReduceToMono(std::span<const int16_t> frames, int channels, StereoChoice choice, std::span<int16_t> out);

// Channel `index` (0-based) of interleaved frames.
void TakeChannel(std::span<const int16_t> frames, int channels, int index, std::span<int16_t> out);

} // namespace ondrix
