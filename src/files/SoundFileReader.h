// Reads the samples of a recognised sound file as signed 16-bit values, whatever their stored form.
#pragma once

#include "files/SoundFileFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

class SoundFileReader {
public:
    SoundFileReader() = default;
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    // Opens the file for reading. False, with Error() set, when it cannot be opened.
    bool Open(const std::string& path, const SoundFileInfo& info, const FileFormatSettings& settings);
    void Close();
    bool IsOpen() const;

    // Reads whole frames (all channels, interleaved) from the byte position `position` (aligned down to
    // headerSize + k * frameAlign, never below headerSize) into `out`, converting to 16-bit: 32-bit
    // integers divided by the 32-bit scale, floats multiplied by the float scale, both rounded to
    // nearest-even and clipped to -32768..32767; EARS samples big-endian with their record headers
    // skipped. Returns the frames read: fewer than asked at the end of the data (info.dataEnd), -1 on
    // a read error (Error() says which). `out.size()` must be a multiple of the channel count. Does not
    // allocate after Open.
    int64_t Read(int64_t position, std::span<int16_t> out);

    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    SoundFileInfo info_{};
    FileFormatSettings settings_{};
    std::vector<uint8_t> stored_; // the stored bytes of one read, sized at Open for a chunk
    std::string error_;
};

} // namespace ondrix
