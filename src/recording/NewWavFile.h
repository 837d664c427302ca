// A 16-bit PCM WAV file made new: written beside its target and renamed over it once complete, so an
// old file of the name is replaced only by a whole new one and a longer old file's tail never counts as
// data.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

class NewWavFile {
public:
    explicit NewWavFile(std::string path);
    ~NewWavFile(); // an unfinished file leaves nothing behind
    NewWavFile(const NewWavFile&) = delete;
    NewWavFile& operator=(const NewWavFile&) = delete;

    // The temporary file could be made and every write so far succeeded.
    bool Ok() const { return ok_; }
    const std::string& Path() const { return path_; }

    // Samples appended to the data.
    bool Append(std::span<const int16_t> samples);
    // The header for the data appended, then the file takes its name. False (and nothing left behind)
    // when anything failed.
    bool Finish(int channels, uint32_t rate);

private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    int64_t end_ = 0;
    bool ok_ = false;
};

} // namespace ondrix
