// Reads the samples of a recognised sound file as signed 16-bit values, whatever their stored form.
#pragma once

#include "files/LibrarySoundFile.h"
#include "files/SoundFileFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

// The conversions of 32-bit samples to 16 bits: an integer divided by the 32-bit scale, a float
// multiplied by the float scale, both rounded to nearest-even and clipped to -32768..32767.
int16_t Int32To16(int32_t value, double scale);
int16_t FloatTo16(double value, double scale);

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
    // skipped; files read through libsndfile converted as 32-bit integers or floats, their positions
    // those of 16-bit frames from byte 0. Returns the frames read: fewer than asked at the end of the data
    // (info.dataEnd), -1 on a read error (Error() says which). `out.size()` must be a multiple of the channel
    // count. Does not allocate after Open.
    int64_t Read(int64_t position, std::span<int16_t> out);

    // The byte position just after the last frame of the latest Read: where the next page starts.
    // In EARS files it steps over the record headers.
    int64_t NextPosition() const { return next_; }

    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    SoundFileInfo info_{};
    FileFormatSettings settings_{};
    int64_t ReadFrames(int64_t position, std::span<int16_t> out);
    int64_t ReadEars(int64_t position, std::span<int16_t> out);
    int64_t ReadLibrary(int64_t position, std::span<int16_t> out);
    int64_t ReadStored(int64_t offset, size_t count); // pread into stored_; -1 on error
    void Fail(const char* what, const char* reason);

    std::vector<uint8_t> stored_; // the stored bytes of one read, sized at Open for a chunk
    LibrarySoundFile library_;    // files of type kFileOtherFormat
    std::vector<int32_t> wide_;   // their decoded samples of one read, integers or
    std::vector<double> real_;    // floats, sized at Open for a chunk
    std::string error_;           // capacity reserved at Open, so that a failing Read does not allocate
    int64_t next_ = 0;
};

} // namespace ondrix
