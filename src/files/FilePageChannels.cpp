#include "files/FilePageChannels.h"

#include "settings/ControlModel.h"

#include <algorithm>

namespace ondrix {

StereoChoice StereoChoiceFrom(const ControlModel& basic) {
    if (basic.Checked("OptionCS1")) {
        return StereoChoice::Left;
    }
    if (basic.Checked("OptionCS2")) {
        return StereoChoice::Right;
    }
    if (basic.Checked("OptionCS3")) {
        return StereoChoice::LeftPlusRight;
    }
    if (basic.Checked("OptionCS4")) {
        return StereoChoice::LeftMinusRight;
    }
    return StereoChoice::Stereo;
}

std::string ChannelModeText(int channels, StereoChoice choice) {
    if (channels < 2) {
        return "M";
    }
    switch (choice) {
    case StereoChoice::Right:
        return "R";
    case StereoChoice::LeftPlusRight:
        return "L+R";
    case StereoChoice::LeftMinusRight:
        return "L-R";
    default:
        return "L";
    }
}

void ReduceToMono(std::span<const int16_t> frames, int channels, StereoChoice choice,
                  std::span<int16_t> out) {
    channels = std::max(channels, 1);
    const std::size_t count = std::min(frames.size() / static_cast<std::size_t>(channels), out.size());
    if (channels == 1) {
        std::copy_n(frames.begin(), count, out.begin());
        return;
    }
    const int16_t* frame = frames.data();
    for (std::size_t i = 0; i < count; ++i, frame += channels) {
        const int left = frame[0];
        const int right = frame[1];
        int value = left;
        switch (choice) {
        case StereoChoice::Right:
            value = right;
            break;
        case StereoChoice::LeftPlusRight:
            value = (left + right) >> 1;
            break;
        case StereoChoice::LeftMinusRight:
            value = (left - right) >> 1;
            break;
        default:
            break;
        }
        out[i] = static_cast<int16_t>(value);
    }
}

void TakeChannel(std::span<const int16_t> frames, int channels, int index, std::span<int16_t> out) {
    channels = std::max(channels, 1);
    const std::size_t count = std::min(frames.size() / static_cast<std::size_t>(channels), out.size());
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = frames[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(index)];
    }
}

} // namespace ondrix
