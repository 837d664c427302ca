#include "recording/NewWavFile.h"

#include "common/FileAccess.h"
#include "recording/WavHeader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace ondrix {

NewWavFile::NewWavFile(std::string path)
    : path_(std::move(path)), temporary_(path_ + ".XXXXXX"), end_(kWavHeaderBytes) {
    fd_ = mkstemp(temporary_.data());
    ok_ = fd_ >= 0;
}

NewWavFile::~NewWavFile() {
    if (fd_ >= 0) {
        close(fd_);
        unlink(temporary_.c_str());
    }
}

bool NewWavFile::Append(std::span<const int16_t> samples) {
    ok_ = ok_ && WriteAt(fd_, samples.data(), samples.size_bytes(), end_);
    end_ += static_cast<int64_t>(samples.size_bytes());
    return ok_;
}

bool NewWavFile::Finish(int channels, uint32_t rate) {
    if (fd_ < 0) {
        return false;
    }
    // No data still gives a whole header.
    bool ok =
        ok_ && ftruncate(fd_, end_) == 0 && WriteWavHeader(fd_, channels, rate) && fchmod(fd_, 0644) == 0;
    ok = close(fd_) == 0 && ok && rename(temporary_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        unlink(temporary_.c_str());
    }
    fd_ = -1;
    ok_ = ok;
    return ok;
}

} // namespace ondrix
