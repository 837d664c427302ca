#include "analysis/StereoColumns.h"

#include "analysis/ColumnParameters.h"
#include "common/Rounding.h"
#include "display/SpectrogramRenderer.h"
#include "settings/ControlModel.h"

#include <algorithm>

namespace ondrix {

namespace {

int16_t HalfRounded(int32_t twice) {
    return static_cast<int16_t>(std::clamp(RoundToInt32(twice / 2.0), -32768, 32767));
}

} // namespace

StereoDisplay StereoDisplayFrom(const ControlModel& basic) {
    if (basic.Checked("OptionCSS2")) {
        return StereoDisplay::BothLeft;
    }
    if (basic.Checked("OptionCSS3")) {
        return StereoDisplay::BothRight;
    }
    if (basic.Checked("OptionCSS4")) {
        return StereoDisplay::SumDifference;
    }
    return StereoDisplay::Stereo;
}

int StereoZoomChannel(const ControlModel& form) {
    return std::clamp(form.IntValue("Combo9"), 0, 2);
}

bool StereoChannelDirect(const ColumnControls& controls, int fftSize, int zoomChannel, int channel) {
    const bool zoomable = zoomChannel >= 2 || zoomChannel == channel;
    return zoomable ? controls.direct : DirectRows(fftSize, controls.rows, false);
}

std::string StereoDisplayText(StereoDisplay display) {
    static const char* const kTexts[] = {"S", "LL", "RR", "MS"};
    return kTexts[static_cast<int>(display)];
}

std::array<std::string, 2> StereoHalfLabels(StereoDisplay display) {
    switch (display) {
    case StereoDisplay::BothLeft:
        return {"L", "L"};
    case StereoDisplay::BothRight:
        return {"R", "R"};
    case StereoDisplay::SumDifference:
        return {"L+R", "L -R"};
    case StereoDisplay::Stereo:
        break;
    }
    return {"L", "R"};
}

void RearrangeStereo(std::span<int16_t> block, StereoDisplay display) {
    for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
        const int32_t e = block[i];
        const int32_t o = block[i + 1];
        switch (display) {
        case StereoDisplay::BothLeft:
            block[i + 1] = block[i];
            break;
        case StereoDisplay::BothRight:
            block[i] = block[i + 1];
            break;
        case StereoDisplay::SumDifference:
            block[i] = HalfRounded(e + o);
            block[i + 1] = HalfRounded(e - o);
            break;
        case StereoDisplay::Stereo:
            return;
        }
    }
}

StereoColumns::StereoColumns(ColumnChainSetup setup) : conditioner_(DitherType::None, 0.0, 1) {
    setup.averaging = AveragingMode::Off;
    setup.cepstrum = false;
    for (std::size_t c = 0; c < 2; ++c) {
        chains_[c] = std::make_unique<ColumnChain>(setup, averaging_[c]);
        halves_[c].assign(kMaxDisplayRows, 0.0f);
    }
}

void StereoColumns::Begin(int blockValues, int scanStep) {
    const auto frames = static_cast<std::size_t>(std::max(blockValues / 2, 1));
    for (std::size_t c = 0; c < 2; ++c) {
        frames_[c] =
            std::make_unique<StreamFrames>(chains_[c]->Setup().fftSize, scanStep, static_cast<int>(frames));
        channel_[c].assign(frames, 0);
    }
    block_.assign(2 * frames, 0);
}

int StereoColumns::Take(std::span<const int16_t> block, const BlockControls& blockControls,
                        ColumnControls controls, const Drawing& drawing, SpectrogramRenderer& renderer) {
    const std::size_t values = std::min(block.size(), block_.size()) & ~std::size_t{1};
    const std::span<int16_t> own = std::span<int16_t>(block_).first(values);
    std::copy_n(block.begin(), values, own.begin());
    conditioner_.condition(own, {.removeOffset = blockControls.removeOffset,
                                 .offsetValue = blockControls.offsetValue,
                                 .digitalGain = blockControls.digitalGain});
    RearrangeStereo(own, drawing.display);
    const std::size_t frames = values / 2;
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t k = 0; k < frames; ++k) {
            channel_[c][k] = own[2 * k + c];
        }
        frames_[c]->Append(std::span<const int16_t>(channel_[c]).first(frames));
    }
    const int halfRows = std::clamp(drawing.halfRows, 0, kMaxDisplayRows / 2);
    controls.rows = 2 * halfRows;
    controls.amplitudeScale = AmplitudeScale::Decibel;
    const std::array<bool, 2> direct = {
        StereoChannelDirect(controls, chains_[0]->Setup().fftSize, drawing.zoomChannel, 0),
        StereoChannelDirect(controls, chains_[0]->Setup().fftSize, drawing.zoomChannel, 1)};
    std::array<StereoLevel, 2> levels{};
    std::array<int, 2> marks{-1, -1};
    std::array<std::span<const int16_t>, 2> frame{};
    int columns = 0;
    while (frames_[0]->NextFrame(frame[0]) && frames_[1]->NextFrame(frame[1])) {
        for (std::size_t c = 0; c < 2; ++c) {
            controls.direct = direct[c];
            const ColumnResult result = chains_[c]->Compute(frame[c], controls);
            const std::span<const float> column = chains_[c]->Column();
            for (int j = 0; j < halfRows; ++j) {
                halves_[c][static_cast<std::size_t>(j)] =
                    (column[static_cast<std::size_t>(2 * j)] + column[static_cast<std::size_t>(2 * j + 1)]) /
                    2;
            }
            levels[c] = {.low = RoundToInt32(result.minSample / 2048.0),
                         .high = RoundToInt32(result.maxSample / 2048.0),
                         .overloaded = result.overloaded};
            if (drawing.track != nullptr) {
                marks[c] = (*drawing.track)(
                    static_cast<int>(c),
                    std::span<const float>(halves_[c]).first(static_cast<std::size_t>(halfRows)));
            }
        }
        renderer.DrawStereoColumn(halves_[0], halves_[1], halfRows, levels, drawing.redBlue, marks);
        ++columns;
    }
    frames_[0]->Compact();
    frames_[1]->Compact();
    return columns;
}

} // namespace ondrix
