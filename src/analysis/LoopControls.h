// What every analysis loop reads from the settings windows for its column chain and its blocks, in one
// place so that live input and files are analysed alike.
#pragma once

#include "analysis/BlockConditioner.h"
#include "analysis/ColumnParameters.h"
#include "analysis/SpectrumAveraging.h"
#include "settings/SettingsModel.h"

namespace ondrix {

// The highest of the three dither check boxes that is set.
inline DitherType SelectedDither(const ControlModel& advanced) {
    if (advanced.Checked("chkDither3")) {
        return DitherType::CorrelatedTriangular;
    }
    if (advanced.Checked("chkDither2")) {
        return DitherType::Triangular;
    }
    if (advanced.Checked("chkDither1")) {
        return DitherType::Rectangular;
    }
    return DitherType::None;
}

inline AveragingMode SelectedAveraging(const ControlModel& advanced) {
    const int mode = advanced.IntValue("AvgCombo");
    return mode >= 1 && mode <= 4 ? static_cast<AveragingMode>(mode) : AveragingMode::Off;
}

// The chain of a run; the chain itself clamps the sizes to its capacities.
inline ColumnChainSetup ChainSetupFrom(const ControlModel& advanced, int fftSize, int windowSize,
                                       int windowType, int scanStep) {
    return {.fftSize = fftSize,
            .windowSize = windowSize,
            .windowType = windowType,
            .scanStep = scanStep,
            .derivative = advanced.Checked("DerivateFlag"),
            .smooth = advanced.Checked("SmoothFlag"),
            .cepstrum = advanced.Checked("CepstrumFlag"),
            .averaging = SelectedAveraging(advanced),
            .averagingCoefficient = static_cast<float>(advanced.Value("AvgCoeffField"))};
}

// Read again for every block: zoom, colour shift and the amplitude scale may change during a run.
inline ColumnControls ReadColumnControls(const SettingsModel& settings, int fftSize, int rows) {
    const ControlModel& form = settings.Form1();
    return {.rows = rows,
            .direct = DirectRows(fftSize, rows, form.Checked("ZoomFlag")),
            .zoomBase = form.IntValue("UpDown5"),
            .compression = CompressionFactor(fftSize, rows),
            .colourShift = form.IntValue("Text1"),
            .amplitudeScale = settings.Options1().IntValue("AmplitudeScale") == 1 ? AmplitudeScale::Linear
                                                                                  : AmplitudeScale::Decibel};
}

inline BlockControls ReadBlockControls(const ControlModel& form) {
    return {.removeOffset = form.Checked("Check1"),
            .offsetValue = form.IntValue("Text5"),
            .digitalGain = form.IntValue("Text2")};
}

} // namespace ondrix
