// The display part of re-laying out the main window: compression and zoom, picture geometry,
// palette and the RAM-buffer menu entries, all derived from the settings.
#pragma once

#include "display/SpectrogramRenderer.h"

namespace ondrix {

class ControlModel;
class MenuModel;
class Palette;
class SettingsModel;
class SpectrogramRenderer;

// What the refresh decided, for the views and the loops.
struct DisplayLayout {
    int displayHeight = 0; // H: rows of the spectrogram picture
    int compression = 1;   // c: FFT bins per display row when zoom is off
    int zoomBaseBin = 0;   // b0: first bin shown when zoomed
    int colourScale = 0;   // the palette's scale number
};

// Largest display height the picture is laid out for; taller typed heights are limited to it.
inline constexpr int kMaxDisplayHeight = 1024;

// Derives the analysis settings, then lays out the display: the zoom check box caption ("Zoom off" or
// "Zoom " + c + "x at bin"), the zoom base range and frequency, the "Channels to zoom" list, the picture
// geometry (width W, height H = "Display Height") with its strip, the palette of the selected colour
// scale, and the RAM-buffer menu entries (enabled only with a buffer size).
// The renderer session of a run from the Advanced Settings: the frequency markers, and for the continuous
// loops (`continuous`) the block transfer rate and the scroll mode; a file page goes straight onto the
// picture in sweep mode.
RendererSession RunRendererSession(const ControlModel& advanced, int rows, bool continuous);

DisplayLayout RefreshDisplayLayout(SettingsModel& settings, MenuModel& menus, Palette& palette,
                                   SpectrogramRenderer& renderer, int pictureWidth);

} // namespace ondrix
