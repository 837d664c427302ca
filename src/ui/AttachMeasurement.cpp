#include "ui/AttachMeasurement.h"

#include "analysis/RealTimeContext.h"
#include "analysis/StereoColumns.h"
#include "common/Clock.h"
#include "display/CursorReadout.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "display/SpectrumPlot.h"
#include "files/CurrentFile.h"
#include "files/FileAnalysisLoop.h"
#include "files/FilePage.h"
#include "files/FilePageChannels.h"
#include "files/FilePlaybackLoop.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "ui/AxesView.h"
#include "ui/MainWindow.h"
#include "ui/SpectrogramView.h"
#include "ui/SpectrumWindow.h"

#include <algorithm>
#include <memory>

namespace ondrix {

namespace {

constexpr int kFourChannels = 4;

bool FileTask(int mode) {
    return mode == 3 || mode == 4;
}

// Stacked displays: the live channels (2 when the count is 0), four traces of a four-channel file in file
// analysis, the two halves of a stereo file played as "Stereo"; else one.
int Displays(const MeasurementWiring& w) {
    const int mode = w.tasks.SessionMode();
    if (!FileTask(mode)) {
        const int channels = w.settings.Analysis().channelCount;
        return channels == 2 || channels == 0 ? 2 : 1;
    }
    const int channels = w.file.IsOpen() ? w.file.info.channels : 1;
    if (mode == 4) {
        return channels == kFourChannels ? kFourChannels : 1;
    }
    return channels == 2 && StereoChoiceFrom(w.settings.Options0()) == StereoChoice::Stereo ? 2 : 1;
}

PictureScale CurrentScale(const MeasurementWiring& w) {
    return ScaleOf(ScaleInputsFrom(w.settings, w.renderer.Width(), w.renderer.Height(), Displays(w)));
}

ReadoutScene CurrentScene(const MeasurementWiring& w) {
    ReadoutScene scene{.scale = CurrentScale(w),
                       .displayRows = w.settings.Form1().IntValue("Combo7"),
                       .colourShift = w.settings.Form1().IntValue("Text1")};
    const int mode = w.tasks.SessionMode();
    if (FileTask(mode) && w.file.IsOpen()) {
        const int64_t page = w.file.lastPos >= 0 ? w.file.lastPos : w.file.filePos;
        scene.pageSeconds = SecondsAtPos(page, w.file.info, w.settings.Analysis().tapeSpeedRatio);
        scene.soundFile = w.file.name;
    } else if (mode == 2 && w.recordingFile) {
        scene.soundFile = w.recordingFile();
    }
    return scene;
}

} // namespace

void AttachMeasurement(const MeasurementWiring& wiring) {
    SpectrogramView& view = wiring.main.Spectrogram();
    AxesView& axes = wiring.main.Axes();
    const auto refresh = [wiring, &axes, &view] {
        const ControlModel& advanced = wiring.settings.Options1();
        // The digital gain brings full scale at a smaller input.
        const double gain = std::max(wiring.settings.Form1().Value("Text2"), 1.0);
        const double maxInputMv = advanced.Checked("CheckVIN") ? advanced.Value("txtMaxVIN") / gain : 0.0;
        axes.SetAxes(AxesOf(CurrentScale(wiring), maxInputMv, axes.CharWidth()));
        std::vector<std::string> labels;
        if (Displays(wiring) == 2) {
            const auto halves = StereoHalfLabels(StereoDisplayFrom(wiring.settings.Options0()));
            labels.assign(halves.begin(), halves.end());
        }
        view.SetHalfLabels(std::move(labels), wiring.settings.Form1().IntValue("Combo7"));
    };
    view.SetLayoutHandler(refresh);
    // The millivolt axis follows the digital gain, typed or spun.
    wiring.settings.Form1().AddListener([refresh](const std::string& name, ControlModel::Change what) {
        if (name == "Text2" && what == ControlModel::Change::Text) {
            refresh();
        }
    });
    refresh();

    auto cursor = std::make_shared<CursorMeasurement>(CursorMeasurement::Wiring{
        .settings = wiring.settings,
        .scene = [wiring] { return CurrentScene(wiring); },
        .paletteIndexAt =
            [&palette = wiring.palette, &renderer = wiring.renderer](int x, int y) {
                const QImage& picture = renderer.Picture();
                return picture.valid(x, y) ? PaletteIndexOfColour(palette, picture.pixel(x, y)) : 0;
            },
        .date = [] { return DateStampYMD(); }});
    view.SetMouseHandlers([cursor](int buttons, int x, int y) { cursor->Press(buttons, x, y); },
                          [cursor](int buttons, int x, int y) { cursor->Move(buttons, x, y); });

    auto plot = std::make_shared<SpectrumPlot>(kMaxDisplayHeight, wiring.renderer.InactiveBorderColour());
    auto* window = new SpectrumWindow(*plot, &wiring.main);
    const auto plotColumn = [plot, window, &tasks = wiring.tasks,
                             shownInRun = -1](std::span<const float> column) mutable {
        if (shownInRun != tasks.RunsStarted()) {
            shownInRun = tasks.RunsStarted();
            window->show();
        }
        plot->Plot(column);
        window->Refresh();
    };
    wiring.realTime.hooks.plotSpectrum = plotColumn;
    wiring.fileAnalysis.hooks.plotSpectrum = plotColumn;
    wiring.playback.hooks.plotSpectrum = plotColumn;
}

} // namespace ondrix
