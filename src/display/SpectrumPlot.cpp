#include "display/SpectrumPlot.h"

#include "common/NumberText.h"
#include "display/PictureDrawing.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kBlack = 0xff000000u;
constexpr uint32_t kCyan = 0xff00ffffu; // the average colour FFFFFF00 without its high byte
constexpr uint32_t kRed = 0xffff0000u;
// Values far outside the picture plot as its edges would: limited so no pixel arithmetic overflows.
constexpr float kLimit = 4 * SpectrumPlot::Baseline;

float Plottable(float value) {
    return std::isfinite(value) ? std::clamp(value, -kLimit, kLimit) : 0.0f;
}

int Y(float value) {
    return SpectrumPlot::Baseline - static_cast<int>(std::lrint(value));
}

// The line from (x, y1) to (x + 1, y2): half the rise in each column.
void DrawStep(QImage& picture, int x, int y1, int y2, uint32_t colour) {
    const int middle = (y1 + y2) / 2;
    DrawVerticalLine(picture, x, y1, middle, colour);
    DrawVerticalLine(picture, x + 1, middle, y2, colour);
}

} // namespace

SpectrumPlot::SpectrumPlot(int rows, uint32_t background)
    : background_(background), picture_(std::max(rows, 1) + 1, Baseline + 1, QImage::Format_RGB32),
      average_(static_cast<std::size_t>(std::max(rows, 1)), 0.0f),
      maximum_(static_cast<std::size_t>(std::max(rows, 1)), 0.0f) {
    picture_.fill(background_);
}

// The weight is a share between 0 and 1; another value is limited, and the field says which was taken.
void SpectrumPlot::ReadWeight() {
    const double typed = TextValue(weightText_);
    const double k = std::clamp(typed, 0.0, 1.0);
    if (k != typed) {
        weightText_ = BareNumberText(k);
    }
    weight_ = static_cast<float>(k);
}

void SpectrumPlot::Plot(std::span<const float> column) {
    const int last = std::min(static_cast<int>(column.size()) - 1, static_cast<int>(average_.size()));
    if (last <= 0) {
        Reset();
        return;
    }
    if (count_ == 0) {
        ReadWeight();
    }
    ++count_;
    const float k = weight_;
    for (int i = 2; i <= last; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        const float v = Plottable(column[static_cast<std::size_t>(i)]);
        average_[at] = average_[at] * (1 - k) + v * k;
        if (v > maximum_[at]) {
            maximum_[at] = v;
        }
        DrawVerticalLine(picture_, i, Baseline, Y(maximum_[at]), kWhite);
        DrawStep(picture_, i - 1, Y(Plottable(column[at])), Y(v), kBlack);
        DrawStep(picture_, i - 1, Y(average_[at - 1]), Y(average_[at]), kCyan);
        DrawStep(picture_, i - 1, Y(maximum_[at - 1]), Y(maximum_[at]), kRed);
    }
}

void SpectrumPlot::Reset() {
    picture_.fill(background_);
    std::ranges::fill(average_, 0.0f);
    std::ranges::fill(maximum_, 0.0f);
    count_ = 0;
}

} // namespace ondrix
