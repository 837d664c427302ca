#include "display/CursorReadout.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "display/Palette.h"
#include "settings/SettingsModel.h"

#include <fstream>

namespace ondrix {

namespace {

// Readout numbers are the program's single-precision measures.
std::string Number(double value) {
    return NumberText(value, Precision::Single);
}

} // namespace

PointFrequency FrequencyAt(const PictureScale& scale, int y) {
    for (const DisplayBand& band : scale.bands) {
        if (y >= band.top && y < band.top + band.rows) {
            return {band.baseHz + band.rowHz * (band.top + band.rows - 1 - y), band.prefix};
        }
    }
    // Below the spectrogram: the prefix of the lowest display, no frequency.
    return {0.0, scale.bands.empty() || y < 0 ? std::string() : scale.bands.back().prefix};
}

int PaletteIndexOfColour(const Palette& palette, uint32_t colour) {
    int index = 0;
    for (int i = 0; i <= 256; ++i) {
        if ((palette.Entry(i) & 0xffffffu) == (colour & 0xffffffu)) {
            index = i;
        }
    }
    return index;
}

std::string ReadoutText(const ReadoutScene& scene, int x, int y, int index,
                        const std::optional<std::pair<int, int>>& reference) {
    const double c = scene.scale.columnMs;
    const PointFrequency f = FrequencyAt(scene.scale, y);
    const double t = static_cast<float>(c * x);
    std::string text = f.prefix + "[pix" + Number(x) + Number(scene.displayRows - y - 1) + Number(index) +
                       "]  " + Number(t) + " ms " + Number(f.hz) + " Hz " +
                       Number(index / 2.0 - scene.colourShift) + " dBr ";
    if (reference) {
        const auto [xr, yr] = *reference;
        const double fr = FrequencyAt(scene.scale, yr).hz;
        text += "  [Ref" + Number(c * xr) + Number(fr) + " ][Delta " + Number((x - xr) * c) + " " +
                Number(f.hz - fr) + " ]";
    }
    if (scene.pageSeconds) {
        text += "  F " + SecondsToClock(*scene.pageSeconds + t / 1000.0);
    }
    return text;
}

CursorMeasurement::CursorMeasurement(Wiring wiring) : wiring_(std::move(wiring)) {}

void CursorMeasurement::Press(int button, int x, int y) {
    reference_ = {x, y};
    ControlModel& form = wiring_.settings.Form1();
    if (button == kLeftButton) {
        form.SetText("LabelCursors", form.Text("LabelCursors") + std::string(kDeltaHint));
    } else if (button == kRightButton) {
        MouseCursor(x, y, button);
    }
}

void CursorMeasurement::Move(int buttons, int x, int y) {
    if (wiring_.settings.Options1().Checked("RTCursorFlag")) {
        MouseCursor(x, y, buttons);
    }
}

void CursorMeasurement::MouseCursor(int x, int y, int& button) {
    const ReadoutScene scene = wiring_.scene();
    const int index = wiring_.paletteIndexAt(x, y);
    const std::string text =
        ReadoutText(scene, x, y, index, button == kLeftButton ? std::optional(reference_) : std::nullopt);
    ControlModel& form = wiring_.settings.Form1();
    form.SetText("LabelCursors", text);
    form.SetText("StatusLine", NumberText(button));
    if (button >= kRightButton) {
        Log(text, scene.soundFile);
        button = -1;
    }
}

std::string CursorMeasurement::LogPath() const {
    const ControlModel& advanced = wiring_.settings.Options1();
    return WithTrailingSlash(advanced.Text("DefLogPath")) + advanced.Text("CursorLogFileField") + " " +
           wiring_.date() + ".txt";
}

// One file collects a day's readings; a heading names each sound file once. A log that cannot be
// written is said in the status line and nothing else stops.
void CursorMeasurement::Log(const std::string& readout, const std::string& soundFile) {
    const std::string path = LogPath();
    std::ofstream out(path, std::ios::binary | std::ios::app);
    std::string lines;
    const bool heading = headed_ != soundFile;
    if (heading) {
        lines += soundFile + "\r\n" + std::string(kCursorLogHeading) + "\r\n";
    }
    lines += readout + "\r\n";
    if (!out || !out.write(lines.data(), static_cast<std::streamsize>(lines.size())).flush()) {
        wiring_.settings.Form1().SetText("StatusLine", "Cannot write " + path);
        return;
    }
    if (heading) {
        headed_ = soundFile;
    }
}

} // namespace ondrix
