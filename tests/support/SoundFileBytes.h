// Byte-level helpers for tests of sound files: little-endian fields and 16-bit WAV files with the header
// the recorder writes.
#pragma once

#include "recording/WavHeader.h"
#include "support/ByteFiles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

using Bytes = std::vector<uint8_t>;

// Appends `v` as `n` little-endian bytes.
inline void PutLe(Bytes& b, uint32_t v, int n = 4) {
    for (int i = 0; i < n; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

inline void SetLe32(Bytes& b, std::size_t at, uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// A 16-bit WAV of the interleaved samples; `closed` false leaves the placeholder sizes of a recording
// that was never closed.
inline void WriteWav16(const std::string& path, int channels, uint32_t rate,
                       const std::vector<int16_t>& samples, bool closed = true) {
    const uint64_t length = kWavHeaderBytes + 2 * samples.size();
    const auto header = WavHeaderBytes(closed ? length : 0, channels, rate);
    Bytes bytes(header.begin(), header.end());
    for (const int16_t s : samples) {
        PutLe(bytes, static_cast<uint16_t>(s), 2);
    }
    WriteBytes(path, bytes);
}

} // namespace ondrix
