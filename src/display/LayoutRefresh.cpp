#include "display/LayoutRefresh.h"

#include "analysis/ColumnParameters.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "display/ColourScales.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"

#include <algorithm>

namespace ondrix {

namespace {

// Compression c and the zoom controls that depend on it.
void LayOutZoom(SettingsModel& settings, DisplayLayout& layout) {
    ControlModel& form = settings.Form1();
    const AnalysisSettings& analysis = settings.Analysis();
    // The FFT length the chain will run with, not the typed one.
    const int fftSize = EffectiveFftSize(analysis.fftSize);
    layout.compression = CompressionFactor(fftSize, layout.displayHeight);
    const bool zoomable = layout.compression != 1;
    form.SetEnabled("ZoomFlag", zoomable);
    form.SetEnabled("UpDown5", zoomable);
    form.SetEnabled("Combo9", zoomable);
    if (!zoomable) {
        form.SetCaption("ZoomFlag", "Zoom off");
        form.SetRange("UpDown5", 0, 0);
        form.SetText("Combo9", "2 - All");
        layout.zoomBaseBin = 0;
    } else {
        form.SetCaption("ZoomFlag", "Zoom " + NumberText(layout.compression) + "x at bin");
        // The zoomed rows b0 .. b0 + H - 1 stay within the N/2 + 1 bins of the FFT.
        form.SetRange("UpDown5", 0, std::max(0, fftSize / 2 - layout.displayHeight));
        layout.zoomBaseBin = form.IntValue("UpDown5");
    }
    const double binWidth =
        BinWidth(analysis.sampleRate, fftSize, analysis.tapeSpeedRatio, analysis.frequencyDivisionRatio);
    form.SetText("ZoomBaseField", BareNumberText(RoundTo(layout.zoomBaseBin * binWidth, 1)));
}

// The whole "Buffer" menu follows the RAM buffer: nothing to save while it is off.
void EnableBufferMenu(const SettingsModel& settings, MenuModel& menus) {
    const bool bufferOn = settings.Form1().Value("Combo12") > 0;
    for (const MenuCommand& command : menus.Commands()) {
        if (command.menu == "Buffer") {
            menus.SetEnabled(command.name, bufferOn);
        }
    }
}

} // namespace

DisplayLayout RefreshDisplayLayout(SettingsModel& settings, MenuModel& menus, Palette& palette,
                                   SpectrogramRenderer& renderer, int pictureWidth) {
    settings.PublicSettings();
    DisplayLayout layout;
    layout.displayHeight = std::clamp(settings.Form1().IntValue("Combo7"), 1, kMaxDisplayHeight);
    LayOutZoom(settings, layout);
    renderer.SetGeometry(std::max(pictureWidth, 1), layout.displayHeight);
    renderer.ClearStrip();
    layout.colourScale = ColourScaleNumber(settings.Form1().Text("Combo8"));
    palette.BuildPalette(layout.colourScale);
    EnableBufferMenu(settings, menus);
    return layout;
}

RendererSession RunRendererSession(const ControlModel& advanced, int rows, bool continuous) {
    return {.updateRate = continuous ? std::max(advanced.IntValue("Combo9"), 0) : 0,
            .rows = rows,
            .scrollMode = continuous ? advanced.IntValue("ScrollFlag") : 0,
            .markers = {.enabled = advanced.Checked("Check6"),
                        .rows = {advanced.IntValue("Text12"), advanced.IntValue("Text13"),
                                 advanced.IntValue("Text14")},
                        .level = advanced.IntValue("Text1")}};
}

} // namespace ondrix
