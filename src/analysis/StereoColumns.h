// The two channels of interleaved stereo blocks turned into spectrogram columns: the display modes,
// one stream and one chain per channel, the halved columns drawn one above the other.
#pragma once

#include "analysis/BlockConditioner.h"
#include "analysis/ColumnChain.h"
#include "analysis/SpectrumAveraging.h"
#include "analysis/StreamFrames.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

class ControlModel;
class SpectrogramRenderer;

// The "Display as..." choice of the Basic Settings for two channels.
enum class StereoDisplay { Stereo = 0, BothLeft = 1, BothRight = 2, SumDifference = 3 };

StereoDisplay StereoDisplayFrom(const ControlModel& basic);
// "S", "LL", "RR", "MS".
std::string StereoDisplayText(StereoDisplay display);
// The labels of the two halves: "L"/"R", "L"/"L", "R"/"R", "L+R"/"L -R".
std::array<std::string, 2> StereoHalfLabels(StereoDisplay display);

// "Channels to zoom" of the main window: 0 left, 1 right, 2 both.
int StereoZoomChannel(const ControlModel& form);
// Whether a channel's rows map one-to-one onto bins from the zoom base: the channel that is zoomed (or
// both) follows the zoom, the other is compressed unless the FFT fits the rows. `controls` are for both
// halves' rows.
bool StereoChannelDirect(const ColumnControls& controls, int fftSize, int zoomChannel, int channel);

// Rearranges the frames of an interleaved block in place: "Both Left" shows the left channel in both
// halves, "Both Right" the right one; sum and difference put round((e + o) / 2) and round((e - o) / 2),
// ties to even, within the 16-bit range.
void RearrangeStereo(std::span<int16_t> block, StereoDisplay display);

// One stream of frames and one chain per channel, both anchored in their own channel's stream (blocks of
// B values hold B / 2 frames), computed in the dB scale without averaging or cepstrum.
class StereoColumns {
public:
    explicit StereoColumns(ColumnChainSetup setup);
    // The streams for blocks of up to blockValues values (blockValues / 2 frames), a frame every scanStep
    // frames of each channel.
    void Begin(int blockValues, int scanStep);

    const ColumnChainSetup& Setup() const { return chains_[0]->Setup(); }
    int64_t OverloadCount() const { return chains_[0]->OverloadCount() + chains_[1]->OverloadCount(); }

    struct Drawing {
        StereoDisplay display = StereoDisplay::Stereo;
        int halfRows = 0;    // Rh: rows of each half
        int zoomChannel = 2; // "Channels to zoom": 0 left, 1 right, 2 both
        bool redBlue = false;
        // The tracker, given each channel's halved column (channel 0 first); answers the row of the
        // half to mark, -1 for none. Null: no tracking.
        const std::function<int(int channel, std::span<const float> column)>* track = nullptr;
    };
    // Offset removal and gain (no dither), the display mode, then every column whose frames are complete
    // in both channels, drawn and tracked. `controls` are the mono loop's for the full height; the number of
    // columns drawn. Allocates nothing.
    int Take(std::span<const int16_t> block, const BlockControls& blockControls, ColumnControls controls,
             const Drawing& drawing, SpectrogramRenderer& renderer);

private:
    std::array<SpectrumAveraging, 2> averaging_{};
    std::array<std::unique_ptr<ColumnChain>, 2> chains_;
    std::array<std::unique_ptr<StreamFrames>, 2> frames_;
    BlockConditioner conditioner_;
    bool alwaysDirect_ = false; // the FFT fits the rows: no zoom choice to make
    std::vector<int16_t> block_;
    std::array<std::vector<int16_t>, 2> channel_;
    std::array<std::vector<float>, 2> halves_;
};

} // namespace ondrix
