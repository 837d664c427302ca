#include "recording/WavHeader.h"

#include "common/FileAccess.h"

#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix {

namespace {

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void Put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

// length - offset as stored in a size field: wrapped to 32 bits below the header (the placeholders),
// saturated above 4 GiB so that a huge file never reads as a small one.
uint32_t SizeField(uint64_t length, uint32_t offset) {
    if (length < kWavHeaderBytes) {
        return static_cast<uint32_t>(0) - offset;
    }
    const uint64_t size = length - offset;
    return size > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                       : static_cast<uint32_t>(size);
}

} // namespace

std::array<uint8_t, kWavHeaderBytes> WavHeaderBytes(uint64_t fileLength, int channels, uint32_t rate) {
    std::array<uint8_t, kWavHeaderBytes> header{};
    uint8_t* h = header.data();
    const auto ch = static_cast<uint16_t>(channels);
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, SizeField(fileLength, 8));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1);
    Put16(h + 22, ch);
    Put32(h + 24, rate);
    Put32(h + 28, rate * 2U * ch);
    Put16(h + 32, static_cast<uint16_t>(ch * 2));
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, SizeField(fileLength, kWavHeaderBytes));
    return header;
}

bool WriteWavHeader(int fd, int channels, uint32_t rate) {
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        return false;
    }
    const auto header = WavHeaderBytes(static_cast<uint64_t>(info.st_size), channels, rate);
    return WriteAt(fd, header.data(), header.size(), 0);
}

bool WriteWavHeader(const std::string& path, int channels, uint32_t rate) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteWavHeader(fd, channels, rate);
    const bool closed = close(fd) == 0;
    return written && closed;
}

} // namespace ondrix
