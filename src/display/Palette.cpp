#include "display/Palette.h"

#include <QColor>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void Palette::LookupRun(std::span<const float> values, uint32_t* out, std::ptrdiff_t step) const {
    std::size_t i = 0;
#if defined(__SSE2__)
    // IndexOf four at a time: NaN to 0, limited, then converted in the default (half to even) rounding.
    const __m128 low = _mm_set1_ps(static_cast<float>(MinIndex));
    const __m128 high = _mm_set1_ps(static_cast<float>(MaxIndex));
    const __m128i offset = _mm_set1_epi32(-MinIndex);
    alignas(16) int32_t index[4];
    for (; i + 4 <= values.size(); i += 4) {
        __m128 v = _mm_loadu_ps(values.data() + i);
        v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
        v = _mm_min_ps(_mm_max_ps(v, low), high);
        _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_add_epi32(_mm_cvtps_epi32(v), offset));
        for (const int32_t k : index) {
            *out = table_[static_cast<std::size_t>(k)];
            out += step;
        }
    }
#endif
    for (; i < values.size(); ++i, out += step) {
        *out = Lookup(values[i]);
    }
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
