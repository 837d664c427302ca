#include "files/WavHeaderTools.h"

#include "common/FileAccess.h"
#include "common/NumberText.h"
#include "recording/WavHeader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace ondrix {

namespace {

constexpr int kMaxChunks = 4096; // a walk through more chunks than this is not a sound file

// An open file descriptor, closed on scope exit.
class Fd {
public:
    Fd(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC)) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t Get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// The fmt fields from the bytes of a fmt chunk (at least 16 of them).
void TakeFormat(WavHeaderFields& h, const uint8_t* fmt, uint32_t available) {
    h.formatTag = Get16(fmt);
    h.channels = Get16(fmt + 2);
    h.sampleRate = Get32(fmt + 4);
    h.bytesPerSecond = Get32(fmt + 8);
    h.blockAlign = Get16(fmt + 12);
    h.bitsPerSample = Get16(fmt + 14);
    h.subFormat = 0;
    if (h.formatTag == kWavTagExtensible && available >= 26) {
        h.subFormat = Get16(fmt + 24);
    }
}

// Walks the chunks after "WAVE"; fills the fields of "fmt " and "data" when both are found.
void WalkChunks(int fd, WavHeaderFields& h, bool& foundFmt, bool& foundData, int64_t& fmtOffset) {
    const auto length = static_cast<uint64_t>(h.fileLength);
    uint64_t pos = 12;
    for (int n = 0; n < kMaxChunks && pos + 8 <= length; ++n) {
        uint8_t chunk[8];
        if (!ReadAt(fd, chunk, 8, static_cast<int64_t>(pos))) {
            return;
        }
        const uint32_t size = Get32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !foundFmt) {
            const uint64_t available = std::min<uint64_t>({size, 40, length - pos - 8});
            if (available >= 16) {
                uint8_t fmt[40];
                if (!ReadAt(fd, fmt, available, static_cast<int64_t>(pos + 8))) {
                    return;
                }
                h.fmtSize = size;
                TakeFormat(h, fmt, static_cast<uint32_t>(available));
                foundFmt = true;
                fmtOffset = static_cast<int64_t>(pos);
            }
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            std::memcpy(h.dataId, chunk, 4);
            h.dataSize = size;
            h.sizeFieldOffset = static_cast<int64_t>(pos + 4);
            h.dataOffset = static_cast<int64_t>(pos + 8);
            foundData = true;
            return;
        }
        pos += 8 + static_cast<uint64_t>(size) + (size & 1u);
    }
}

std::string Printable(const char* bytes, int count) {
    std::string text(bytes, static_cast<size_t>(count));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
            c = '?';
        }
    }
    return text;
}

// Only a file that says it is a WAV gets header bytes written into it.
bool IsRiffWave(const WavHeaderFields& header) {
    return std::memcmp(header.riffId, "RIFF", 4) == 0 && std::memcmp(header.formatId, "WAVE", 4) == 0;
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

uint32_t Saturated32(int64_t value) {
    return value > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())
               ? std::numeric_limits<uint32_t>::max()
               : static_cast<uint32_t>(std::max<int64_t>(value, 0));
}

} // namespace

std::optional<WavHeaderFields> ReadWavHeader(const std::string& path) {
    Fd fd(path, O_RDONLY);
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < kWavHeaderBytes) {
        return std::nullopt;
    }
    uint8_t b[kWavHeaderBytes];
    if (!ReadAt(fd.get(), b, sizeof b, 0)) {
        return std::nullopt;
    }
    // The canonical reading, field by field; the chunk walk then corrects it.
    WavHeaderFields h;
    std::memcpy(h.riffId, b, 4);
    h.riffSize = Get32(b + 4);
    std::memcpy(h.formatId, b + 8, 8);
    h.fmtSize = Get32(b + 16);
    TakeFormat(h, b + 20, 16);
    std::memcpy(h.dataId, b + 36, 4);
    h.dataSize = Get32(b + 40);
    h.fileLength = st.st_size;

    WavHeaderFields walked = h;
    bool foundFmt = false;
    bool foundData = false;
    int64_t fmtOffset = 0;
    WalkChunks(fd.get(), walked, foundFmt, foundData, fmtOffset);
    if (foundFmt && foundData) {
        walked.chunksFound = true;
        return walked;
    }
    // A "fmt " chunk other than the canonical one means a layout where offset 44 is not the data.
    if (foundFmt && (fmtOffset != 12 || walked.fmtSize != 16)) {
        return std::nullopt;
    }
    return h;
}

namespace {

// The header of a file that says RIFF and WAVE; nothing, with the reason in `error`, otherwise.
std::optional<WavHeaderFields> RepairableHeader(const std::string& path, std::string* error) {
    auto header = ReadWavHeader(path);
    if (!header) {
        SetError(error, "Cannot read a WAV header from " + path);
        return std::nullopt;
    }
    if (!IsRiffWave(*header)) {
        SetError(error, "Not a WAV file: " + path);
        return std::nullopt;
    }
    return header;
}

} // namespace

namespace {

// A RIFF size below 256 that does not match the file: what a recorder leaves when it dies before
// writing any size (0, or the sizes of an empty file) over the samples it did write.
bool RiffSizeLeftover(const WavHeaderFields& h) {
    return h.riffSize < 256 && static_cast<int64_t>(h.riffSize) + 8 != h.fileLength;
}

bool DataSizeWrong(const WavHeaderFields& h) {
    return h.dataSize == kDataSizePlaceholder ||
           h.dataOffset + static_cast<int64_t>(h.dataSize) > h.fileLength || RiffSizeLeftover(h);
}

// A canonical 16-bit PCM file gets the program's own header; any other file its sizes only, so that
// its samples keep the meaning its header gives them.
bool TakesOwnHeader(const WavHeaderFields& h) {
    return h.sizeFieldOffset == 40 && h.bitsPerSample == 16 && h.formatTag == kWavTagPcm;
}

bool RepairWavSizes(const std::string& path, const WavHeaderFields& header, std::string* error) {
    const WavHeaderFields repaired = RepairedWavHeader(header);
    Fd fd(path, O_WRONLY);
    uint8_t riff[4];
    Put32(riff, repaired.riffSize);
    bool written = fd.get() >= 0 && WriteAt(fd.get(), riff, 4, 4);
    if (written && repaired.dataSize != header.dataSize) {
        uint8_t data[4];
        Put32(data, repaired.dataSize);
        written = WriteAt(fd.get(), data, 4, header.sizeFieldOffset);
    }
    if (!written) {
        SetError(error, "Cannot write the header of " + path);
        return false;
    }
    return true;
}

} // namespace

bool WavHeaderNeedsRepair(const WavHeaderFields& header) {
    return header.riffSize == kRiffSizePlaceholder ||
           static_cast<int64_t>(header.riffSize) + 8 > header.fileLength || DataSizeWrong(header);
}

WavHeaderFields RepairedWavHeader(const WavHeaderFields& header) {
    WavHeaderFields repaired = header;
    repaired.riffSize = Saturated32(header.fileLength - 8);
    if (TakesOwnHeader(header) || DataSizeWrong(header)) {
        repaired.dataSize = Saturated32(header.fileLength - header.dataOffset);
    }
    return repaired;
}

bool RepairWavHeader(const std::string& path, std::string* error) {
    const auto header = RepairableHeader(path, error);
    if (!header) {
        return false;
    }
    if (!TakesOwnHeader(*header)) {
        return RepairWavSizes(path, *header, error);
    }
    if (!WriteWavHeader(path, header->channels, header->sampleRate)) {
        SetError(error, "Cannot write the header of " + path);
        return false;
    }
    return true;
}

std::string WavHeaderReport(const std::string& path) {
    const auto h = ReadWavHeader(path);
    if (!h) {
        return "File " + path + "\r\nNo WAV header could be read";
    }
    std::string text;
    text += "File " + path + "\r\n";
    text += "Signature " + Printable(h->riffId, 4) + "\r\n";
    text += "Filesize " + NumberText(h->riffSize) + "\r\n";
    text += "Format " + Printable(h->formatId, 8) + "\r\n";
    text += "        " + NumberText(h->fmtSize) + "\r\n";
    text += "Mode " + NumberText(h->formatTag) + "\r\n";
    text += "Channels " + NumberText(h->channels) + "\r\n";
    text += "Sample rate " + NumberText(h->sampleRate) + "\r\n";
    text += "Bytes x sec " + NumberText(h->bytesPerSecond) + "\r\n";
    text += "Bytes x sample " + NumberText(h->blockAlign) + "\r\n";
    text += "Bits x sample " + NumberText(h->bitsPerSample) + "\r\n";
    text += "Data start " + Printable(h->dataId, 4) + "\r\n";
    text += "Data size " + NumberText(h->dataSize);
    return text;
}

} // namespace ondrix
