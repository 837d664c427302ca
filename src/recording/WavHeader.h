// The 44-byte header of the 16-bit PCM WAV files the program writes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ondrix {

inline constexpr int kWavHeaderBytes = 44;

// The header of a file of `fileLength` bytes: RIFF size = length - 8 and data size = length - 44 as
// unsigned 32-bit values. A file shorter than the header gets the placeholders -8 and -44 (two's
// complement) that mark a recording still being written; a length beyond 4 GiB saturates.
std::array<uint8_t, kWavHeaderBytes> WavHeaderBytes(uint64_t fileLength, int channels, uint32_t rate);

// Writes the header at offset 0 of an open file, with the sizes taken from its current length.
// Only the first 44 bytes change: a longer file keeps its length, a shorter one grows to 44 bytes.
// The file position is not moved. False when the file cannot be examined or written.
bool WriteWavHeader(int fd, int channels, uint32_t rate);

// The same on a named file, created when absent, opened and closed here.
bool WriteWavHeader(const std::string& path, int channels, uint32_t rate);

} // namespace ondrix
