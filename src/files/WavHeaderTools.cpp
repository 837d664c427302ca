#include "files/WavHeaderTools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace ondrix {

std::optional<WavHeaderFields> ReadWavHeader(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 44) {
        ::close(fd);
        return std::nullopt;
    }
    uint8_t b[44];
    bool ok = ::pread(fd, b, 44, 0) == 44;
    ::close(fd);
    if (!ok)
        return std::nullopt;
    auto u16 = [&](int o) { return static_cast<uint16_t>(b[o] | (b[o + 1] << 8)); };
    auto u32 = [&](int o) {
        return static_cast<uint32_t>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24));
    };
    WavHeaderFields h;
    std::memcpy(h.riffId, b, 4);
    h.riffSize = u32(4);
    std::memcpy(h.formatId, b + 8, 8);
    h.fmtSize = u32(16);
    h.formatTag = u16(20);
    h.channels = u16(22);
    h.sampleRate = u32(24);
    h.bytesPerSecond = u32(28);
    h.blockAlign = u16(32);
    h.bitsPerSample = u16(34);
    std::memcpy(h.dataId, b + 36, 4);
    h.dataSize = u32(40);
    h.fileLength = st.st_size;
    return h;
}

bool WavHeaderNeedsRepair(const WavHeaderFields& h) {
    return h.riffSize == 0xFFFFFFF8u || h.dataSize == 0xFFFFFFD4u ||
           static_cast<int64_t>(h.riffSize) + 8 > h.fileLength ||
           h.dataOffset + static_cast<int64_t>(h.dataSize) > h.fileLength;
}

bool RepairWavHeader(const std::string&, std::string* error) {
    if (error)
        *error = "not implemented";
    return false;
}

std::string WavHeaderReport(const std::string& path) {
    return "File " + path;
}

} // namespace ondrix
