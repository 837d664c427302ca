#include "files/SoundFileReader.h"

#include "common/FileAccess.h"
#include "common/Rounding.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace ondrix {

namespace {

constexpr size_t kChunkBytes = 64 * 1024; // stored bytes read at a time
constexpr size_t kErrorCapacity = 256;

int StoredBytesOf(int32_t type) {
    switch (EncodingOf(type)) {
    case SampleEncoding::Int16:
        return 2;
    case SampleEncoding::Int32:
    case SampleEncoding::Float32:
        return 4;
    default:
        return 0; // not decoded
    }
}

int16_t Clip16(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, -32768, 32767));
}

int16_t FromInt16(const uint8_t* at) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
}

int16_t FromInt32(const uint8_t* at, double scale) {
    const auto raw = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
                     (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
    return Int32To16(static_cast<int32_t>(raw), scale);
}

int16_t FromFloat(const uint8_t* at, double scale) {
    float value;
    std::memcpy(&value, at, sizeof value); // IEEE single, little-endian like the host
    return FloatTo16(value, scale);
}

int16_t FromBigEndian16(const uint8_t* at) {
    return static_cast<int16_t>(static_cast<uint16_t>((at[0] << 8) | at[1]));
}

} // namespace

int16_t Int32To16(int32_t value, double scale) {
    return Clip16(RoundToInt32(value / scale));
}

// NaN reads as silence; infinities and values beyond the range clip.
int16_t FloatTo16(double value, double scale) {
    return Clip16(RoundToInt32(value * scale));
}

SoundFileReader::~SoundFileReader() {
    Close();
}

bool SoundFileReader::Open(const std::string& path, const SoundFileInfo& info,
                           const FileFormatSettings& settings) {
    Close();
    error_.clear();
    error_.reserve(kErrorCapacity);
    const bool library = info.type == kFileOtherFormat;
    const int stored = StoredBytesOf(info.type);
    if (stored == 0) {
        error_ = "Unknown file type";
        return false;
    }
    if (info.channels < 1 || info.frameAlign < static_cast<int64_t>(stored) * info.channels ||
        info.headerSize < 0) {
        error_ = "Not a sound file: " + path + " (inconsistent layout)";
        return false;
    }
    if (library) {
        std::string why;
        if (!library_.Open(path, why)) {
            error_ = "Cannot open " + path + ": " + why;
            return false;
        }
        if (library_.Channels() != info.channels) {
            // Replaced since recognition: its frames would not fit the buffers.
            library_.Close();
            error_ = "Not a sound file: " + path + " (inconsistent layout)";
            return false;
        }
    } else {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            error_ = "Cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    info_ = info;
    info_.bytesPerSample = stored;
    settings_ = settings;
    settings_.scale32 = std::max(1, settings_.scale32);
    const auto align = static_cast<size_t>(info_.frameAlign);
    const size_t chunk = std::max<size_t>(1, kChunkBytes / align) * align;
    if (library) {
        // The decoded values of one chunk of 16-bit frames.
        const size_t values = chunk / 2;
        if (library_.FloatSamples()) {
            real_.assign(values, 0.0);
        } else {
            wide_.assign(values, 0);
        }
    } else {
        stored_.assign(info_.type == kFileEars ? kChunkBytes / kEarsRecordBytes * kEarsRecordBytes : chunk,
                       0);
    }
    next_ = info_.headerSize;
    return true;
}

void SoundFileReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    library_.Close();
}

bool SoundFileReader::IsOpen() const {
    return fd_ >= 0 || library_.IsOpen();
}

void SoundFileReader::Fail(const char* what, const char* reason) {
    error_.assign(what);
    const size_t room = error_.capacity() - error_.size();
    if (room > 2) {
        error_.append(": ", 2);
        error_.append(reason, std::min(std::strlen(reason), room - 2));
    }
}

int64_t SoundFileReader::ReadStored(int64_t offset, size_t count) {
    // Fewer bytes than asked: the file is shorter than it was at recognition.
    const int64_t got = ReadUpTo(fd_, stored_.data(), count, offset);
    if (got < 0) {
        Fail("Read error", std::strerror(errno));
    }
    return got;
}

int64_t SoundFileReader::Read(int64_t position, std::span<int16_t> out) {
    if (!IsOpen()) {
        error_.assign("Read error: no file open");
        return -1;
    }
    if (info_.type == kFileOtherFormat) {
        return ReadLibrary(position, out);
    }
    return info_.type == kFileEars ? ReadEars(position, out) : ReadFrames(position, out);
}

// Files read through libsndfile: byte position p is frame p / (2 x channels). The frames the file states
// are all there (recognition read the last one); a read that stops before them is an error.
int64_t SoundFileReader::ReadLibrary(int64_t position, std::span<int16_t> out) {
    const int channels = info_.channels;
    const int64_t align = info_.frameAlign;
    int64_t frame = std::max<int64_t>(position, 0) / align;
    const int64_t end = info_.dataEnd / align;
    const int64_t want = std::clamp<int64_t>(end - frame, 0, static_cast<int64_t>(out.size()) / channels);
    const bool floats = library_.FloatSamples();
    const int64_t chunkFrames = static_cast<int64_t>(floats ? real_.size() : wide_.size()) / channels;
    const double scale32 = settings_.scale32;
    const double floatScale = settings_.floatScale;
    int64_t frames = 0;
    while (frames < want) {
        const int64_t n = std::min(want - frames, chunkFrames);
        const int64_t got = floats ? library_.ReadFloats(frame, real_.data(), n)
                                   : library_.ReadIntegers(frame, wide_.data(), n);
        if (got != n) {
            Fail("Read error", library_.Error());
            return -1;
        }
        int16_t* to = out.data() + frames * channels;
        const auto values = static_cast<size_t>(n * channels);
        if (floats) {
            for (size_t i = 0; i < values; ++i) {
                to[i] = FloatTo16(real_[i], floatScale);
            }
        } else {
            for (size_t i = 0; i < values; ++i) {
                to[i] = Int32To16(wide_[i], scale32);
            }
        }
        frames += n;
        frame += n;
    }
    next_ = frame * align;
    return frames;
}

int64_t SoundFileReader::ReadFrames(int64_t position, std::span<int16_t> out) {
    const int64_t align = info_.frameAlign;
    const int channels = info_.channels;
    position = std::max(position, info_.headerSize);
    position = info_.headerSize + (position - info_.headerSize) / align * align;
    const int64_t want = static_cast<int64_t>(out.size()) / channels;
    const int64_t chunkFrames = static_cast<int64_t>(stored_.size()) / align;
    const double scale32 = settings_.scale32;
    const double floatScale = settings_.floatScale;
    const bool wide = info_.type == kFileExt32 || info_.type == kFileWav32Int ||
                      info_.type == kFileWav32Float || info_.type == kFileWav32Float18;
    int64_t frames = 0;
    while (frames < want) {
        const int64_t available = (info_.dataEnd - position) / align;
        int64_t n = std::min({want - frames, available, chunkFrames});
        if (n <= 0) {
            break;
        }
        const int64_t got = ReadStored(position, static_cast<size_t>(n * align));
        if (got < 0) {
            return -1;
        }
        n = got / align;
        if (n == 0) {
            break;
        }
        int16_t* to = out.data() + frames * channels;
        if (!wide && std::endian::native == std::endian::little && align == 2 * channels) {
            // 16-bit little-endian frames are already what the analysis takes.
            std::memcpy(to, stored_.data(), static_cast<std::size_t>(n * align));
            frames += n;
            position += n * align;
            continue;
        }
        for (int64_t f = 0; f < n; ++f) {
            const uint8_t* frame = stored_.data() + f * align;
            for (int c = 0; c < channels; ++c) {
                switch (info_.type) {
                case kFileExt32:
                case kFileWav32Int:
                    *to++ = FromInt32(frame + 4 * c, scale32);
                    break;
                case kFileWav32Float:
                case kFileWav32Float18:
                    *to++ = FromFloat(frame + 4 * c, floatScale);
                    break;
                default:
                    *to++ = FromInt16(frame + 2 * c);
                    break;
                }
            }
        }
        frames += n;
        position += n * align;
    }
    next_ = position;
    return frames;
}

// EARS files: records of 12 header bytes and 250 big-endian samples. The position is a byte offset
// in the file; one inside a record header means the record's first sample.
int64_t SoundFileReader::ReadEars(int64_t position, std::span<int16_t> out) {
    position = std::max<int64_t>(position, 0);
    int64_t within = position % kEarsRecordBytes;
    within = within < kEarsRecordHeaderBytes
                 ? kEarsRecordHeaderBytes
                 : kEarsRecordHeaderBytes + (within - kEarsRecordHeaderBytes) / 2 * 2;
    position = position / kEarsRecordBytes * kEarsRecordBytes + within;
    const auto want = static_cast<int64_t>(out.size());
    int64_t frames = 0;
    while (frames < want && position < info_.dataEnd) {
        const int64_t recordStart = position / kEarsRecordBytes * kEarsRecordBytes;
        const auto count = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(stored_.size()), info_.dataEnd - recordStart));
        const int64_t got = ReadStored(recordStart, count);
        if (got < 0) {
            return -1;
        }
        const int64_t before = frames;
        int64_t offset = position - recordStart;
        while (frames < want) {
            if (offset % kEarsRecordBytes < kEarsRecordHeaderBytes) {
                offset = offset / kEarsRecordBytes * kEarsRecordBytes + kEarsRecordHeaderBytes;
            }
            if (offset + 2 > got) {
                break;
            }
            out[static_cast<size_t>(frames++)] = FromBigEndian16(stored_.data() + offset);
            offset += 2;
        }
        position = recordStart + offset;
        if (frames == before) {
            break; // only a partial sample is left
        }
    }
    next_ = position;
    return frames;
}

} // namespace ondrix
