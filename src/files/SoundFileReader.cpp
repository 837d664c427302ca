#include "files/SoundFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace ondrix {

SoundFileReader::~SoundFileReader() {
    Close();
}

bool SoundFileReader::Open(const std::string& path, const SoundFileInfo& info,
                           const FileFormatSettings& settings) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = "Cannot open " + path;
        return false;
    }
    info_ = info;
    settings_ = settings;
    stored_.assign(65536, 0);
    error_.clear();
    return true;
}

void SoundFileReader::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool SoundFileReader::IsOpen() const {
    return fd_ >= 0;
}

int64_t SoundFileReader::Read(int64_t position, std::span<int16_t> out) {
    if (fd_ < 0)
        return -1;
    int64_t align = std::max<int64_t>(1, info_.frameAlign);
    position = std::max(position, info_.headerSize);
    position = info_.headerSize + (position - info_.headerSize) / align * align;
    int channels = std::max(1, info_.channels);
    int64_t want = static_cast<int64_t>(out.size()) / channels;
    int64_t frames = 0;
    while (frames < want && position + align <= info_.dataEnd) {
        int64_t n = std::min<int64_t>({want - frames, (info_.dataEnd - position) / align,
                                       static_cast<int64_t>(stored_.size()) / align});
        ssize_t got = ::pread(fd_, stored_.data(), static_cast<size_t>(n * align), position);
        if (got < 0) {
            error_ = "Read error";
            return -1;
        }
        n = got / align;
        if (n == 0)
            break;
        for (int64_t i = 0; i < n * channels; ++i)
            out[frames * channels + i] = static_cast<int16_t>(stored_[2 * i] | (stored_[2 * i + 1] << 8));
        frames += n;
        position += n * align;
    }
    return frames;
}

} // namespace ondrix
