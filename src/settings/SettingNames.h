// Control names of the basic settings on the two windows that hold them.
#pragma once

#include <string_view>

namespace ondrix {

struct BasicSettingNames {
    std::string_view blockSize;
    std::string_view sampleRate;
    std::string_view fftSize;
    std::string_view windowSize;
    std::string_view windowType;
    std::string_view scanStep;
    std::string_view displayHeight;
    std::string_view colourScale;
    std::string_view ramBufferSize;
    std::string_view audioDevice;
};

// The Quick Settings panel of the main window.
inline constexpr BasicSettingNames kQuickSettings{"BlockSize",  "SampleRate", "FFTSize", "WindowSize",
                                                  "WindowType", "ScanStep",   "Combo7",  "Combo8",
                                                  "Combo12",    "Combo10"};

// The Basic Settings window.
inline constexpr BasicSettingNames kBasicSettings{
    "BlockSize", "SampleRate",    "FFTSize",     "WindowSize",    "WindowType",
    "ScanStep",  "DisplayHeight", "ColourScale", "RamBufferSize", "Combo10"};

// The channel list of the Basic Settings window.
inline constexpr std::string_view kChannelCount = "NchanCombo";

} // namespace ondrix
