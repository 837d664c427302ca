#include "display/ScalePreview.h"

#include "display/Palette.h"

namespace ondrix {

QImage ColourScalePreview(const Palette& palette) {
    QImage preview(ScalePreviewWidth, ScalePreviewHeight, QImage::Format_RGB32);
    for (int y = 0; y < ScalePreviewHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(preview.scanLine(y));
        for (int i = 0; i < ScalePreviewWidth; ++i) {
            row[i] = palette.Entry(i);
        }
    }
    return preview;
}

} // namespace ondrix
