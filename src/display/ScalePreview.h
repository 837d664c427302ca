// The colour-scale preview: palette entries 0..255 as one-pixel stripes.
#pragma once

#include <QImage>

namespace ondrix {

class Palette;

inline constexpr int ScalePreviewWidth = 256;
inline constexpr int ScalePreviewHeight = 11;

// A 256 x 11 picture whose column i, rows 0..10, has the colour of palette entry i.
QImage ColourScalePreview(const Palette& palette);

} // namespace ondrix
