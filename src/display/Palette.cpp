#include "display/Palette.h"

#include <QColor>

namespace ondrix {

Palette::Palette() {
    table_.fill(qRgb(0, 0, 0));
}

void Palette::BuildPalette(int scale) {
    std::array<Rgb, 256> entries;
    for (int i = 0; i < 256; ++i) {
        entries[i] = EntryRgb(i);
    }
    if (FillColourScale(scale, entries)) {
        // Converted to the picture's pixel format here, once, so drawing never converts a colour.
        for (int i = 0; i < 256; ++i) {
            table_[i - MinIndex] = qRgb(entries[i].r, entries[i].g, entries[i].b);
        }
    }
    const uint32_t low = table_[0 - MinIndex];
    const uint32_t high = table_[255 - MinIndex];
    std::fill(table_.begin(), table_.begin() + (0 - MinIndex), low);
    std::fill(table_.begin() + (256 - MinIndex), table_.end(), high);
}

Rgb Palette::EntryRgb(int index) const {
    const uint32_t colour = Entry(index);
    return Rgb{qRed(colour), qGreen(colour), qBlue(colour)};
}

uint32_t Palette::EntryBgr(int index) const {
    const Rgb c = EntryRgb(index);
    return static_cast<uint32_t>(c.r) | static_cast<uint32_t>(c.g) << 8 | static_cast<uint32_t>(c.b) << 16;
}

} // namespace ondrix
