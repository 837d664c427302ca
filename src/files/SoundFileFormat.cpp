#include "files/SoundFileFormat.h"

#include "common/FileAccess.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "files/LibrarySoundFile.h"
#include "files/WavHeaderTools.h"
#include "settings/ControlModel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace ondrix {

namespace {

constexpr int64_t kDapHeaderBytes = 256;
constexpr int64_t kKayHeaderBytes = 512;
constexpr int64_t kDapCountOffset = 26;
constexpr int kDapCountChars = 6;

constexpr std::array<const char*, 8> kRates = {"08", "09", "11", "16", "22", "32", "44", "48"};

bool IsRateExtension(const std::string& ext, char letter) {
    if (ext.size() != 3 || ext[0] != letter) {
        return false;
    }
    return std::any_of(kRates.begin(), kRates.end(),
                       [&](const char* r) { return ext.compare(1, 2, r) == 0; });
}

// The last three characters of the name, upper-cased.
std::string ExtensionOf(const std::string& path) {
    std::string ext = path.size() > 3 ? path.substr(path.size() - 3) : path;
    for (char& c : ext) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return ext;
}

SoundFileInfo NotSound(const std::string& path, const std::string& why) {
    SoundFileInfo info;
    info.message = "Not a sound file: " + path + " (" + why + ")";
    return info;
}

bool RateUsable(int64_t rate) {
    return rate >= 1 && rate <= kMaxSampleRate;
}

// Reads `count` bytes at `offset` of a named file.
bool ReadFileAt(const std::string& path, void* into, size_t count, int64_t offset) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ReadAt(fd, into, count, offset);
    ::close(fd);
    return ok;
}

int16_t GetInt16(const uint8_t* at) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
}

// A file libsndfile decodes, addressed as 16-bit frames from byte 0.
SoundFileInfo DetectLibraryFile(const std::string& path) {
    std::string why;
    const std::optional<LibraryFileFacts> facts = ProbeLibraryFile(path, why);
    if (!facts) {
        return NotSound(path, why);
    }
    if (!RateUsable(facts->sampleRate)) {
        return NotSound(path, "sample rate" + NumberText(static_cast<double>(facts->sampleRate)));
    }
    SoundFileInfo info;
    info.type = kFileOtherFormat;
    info.channels = facts->channels;
    info.sampleRate = static_cast<int32_t>(facts->sampleRate);
    info.frameAlign = int64_t{2} * info.channels;
    info.size = facts->frames * info.frameAlign;
    info.dataEnd = info.size;
    info.libraryFormat = facts->format;
    return info;
}

// A WAV the built-in rules refuse: libsndfile's reading when it has one, else the refusal.
SoundFileInfo LibraryOr(const std::string& path, SoundFileInfo refusal) {
    SoundFileInfo info = DetectLibraryFile(path);
    return info.type == kFileUnsupported ? refusal : info;
}

SoundFileInfo DetectWav(const std::string& path, int64_t length, HeaderRepair repair) {
    auto header = ReadWavHeader(path);
    if (!header) {
        return LibraryOr(path, NotSound(path, "no WAV header"));
    }
    if (std::memcmp(header->riffId, "RIFX", 4) == 0 || std::memcmp(header->riffId, "RF64", 4) == 0) {
        // Big-endian, or 64-bit sizes: the fields read are not what they seem (and a repair would
        // break the file). Left to the rules below only when libsndfile refuses it.
        if (SoundFileInfo info = DetectLibraryFile(path); info.type != kFileUnsupported) {
            return info;
        }
    }
    if (header->channels == 0) {
        return NotSound(path, "no channels");
    }
    if (!RateUsable(header->sampleRate)) {
        return NotSound(path, "sample rate" + NumberText(header->sampleRate));
    }
    SoundFileInfo info;
    const uint16_t tag = header->formatTag;
    const uint16_t effectiveTag = tag == kWavTagExtensible ? header->subFormat : tag;
    if (header->bitsPerSample == 16) {
        info.type = kFileWav16;
        info.bytesPerSample = 2;
    } else if (header->bitsPerSample == 32) {
        // Extensible headers name their format inside; the others by fmt size * 10 + tag, of which
        // only 161, 163 and 183 are decoded.
        if (tag == kWavTagExtensible && effectiveTag == kWavTagPcm) {
            info.type = kFileWav32Int;
        } else if (tag == kWavTagExtensible && effectiveTag == kWavTagFloat) {
            info.type = kFileWav32Float;
        } else if (header->fmtSize < 16) {
            // Not a fmt chunk: its code could pass for another file type (0 .. 9).
            info.message = "Unknown file type";
            return LibraryOr(path, info);
        } else {
            const int64_t code = static_cast<int64_t>(header->fmtSize) * 10 + tag;
            info.type = static_cast<int32_t>(std::min<int64_t>(code, std::numeric_limits<int32_t>::max()));
        }
        info.bytesPerSample = 4;
    } else {
        // 8-, 24- and 64-bit samples, mu-law and A-law: libsndfile's.
        info.message = "Unknown file type";
        return LibraryOr(path, info);
    }

    if (WavHeaderNeedsRepair(*header)) {
        // A recording that was never closed.
        if (repair == HeaderRepair::InPlace && RepairWavHeader(path)) {
            if (auto reread = ReadWavHeader(path)) {
                header = reread;
                info.repaired = true;
            }
        }
        if (!info.repaired) {
            // Not to be written, or not writable: read it as the repair would have left it.
            header = RepairedWavHeader(*header);
        }
    }

    info.headerSize = header->dataOffset;
    info.channels = header->channels;
    info.sampleRate = static_cast<int32_t>(header->sampleRate);
    info.size = header->riffSize;
    info.dataEnd = std::min<int64_t>(length, header->dataOffset + static_cast<int64_t>(header->dataSize));
    info.frameAlign = static_cast<int64_t>(info.bytesPerSample) * info.channels;
    return info;
}

SoundFileInfo DetectDap(const std::string& path, int64_t length, int32_t type, HeaderRepair repair) {
    const auto header = ReadDapHeader(path, repair);
    if (!header) {
        return NotSound(path, "header shorter than 256 bytes");
    }
    if (!RateUsable(header->sampleRate)) {
        return NotSound(path, "sample rate" + NumberText(header->sampleRate));
    }
    SoundFileInfo info;
    info.type = type;
    info.headerSize = kDapHeaderBytes;
    info.channels = 1;
    info.sampleRate = header->sampleRate;
    info.size = header->dataSize;
    info.dataEnd = length;
    return info;
}

SoundFileInfo DetectKay(const std::string& path, int64_t length) {
    uint8_t field[4];
    if (length < kKayHeaderBytes || !ReadFileAt(path, field, sizeof field, 120)) {
        return NotSound(path, "header shorter than 512 bytes");
    }
    const int exponent = GetInt16(field);
    const int mantissa = GetInt16(field + 2);
    const int64_t rate = RoundToInt64(mantissa * std::pow(10.0, exponent));
    if (!RateUsable(rate)) {
        return NotSound(path, "sample rate" + NumberText(static_cast<double>(rate)));
    }
    SoundFileInfo info;
    info.type = kFileKay;
    info.headerSize = kKayHeaderBytes;
    info.channels = 1;
    info.sampleRate = static_cast<int32_t>(rate);
    info.size = length;
    info.dataEnd = length;
    return info;
}

// BIN, RAW, EXT and S files: the rate comes from the settings.
SoundFileInfo DetectHeaderless(const std::string& path, int64_t length, int32_t type, int64_t header,
                               const FileFormatSettings& settings) {
    if (!RateUsable(settings.rawSampleRate)) {
        SoundFileInfo info;
        info.message = "Sample rate for .bin and .ext not usable:" + NumberText(settings.rawSampleRate);
        return info;
    }
    if (header > length) {
        return NotSound(path, "shorter than its header");
    }
    SoundFileInfo info;
    info.type = type;
    info.headerSize = header;
    info.channels = 1;
    info.sampleRate = settings.rawSampleRate;
    info.size = type == kFileSxx ? length - header : length;
    info.dataEnd = length;
    if (type == kFileExt32) {
        info.bytesPerSample = 4;
        info.frameAlign = 4;
    }
    return info;
}

} // namespace

FileFormatSettings FileFormatSettingsFrom(const ControlModel& advanced) {
    FileFormatSettings s;
    if (advanced.Has("TextScaleFloat")) {
        s.floatScale = advanced.Value("TextScaleFloat");
    }
    if (advanced.Has("textScale32Bit")) {
        s.scale32 = std::max(1, advanced.IntValue("textScale32Bit"));
    }
    if (advanced.Has("txtHeaderSkip")) {
        s.headerSkip = std::max(0, advanced.IntValue("txtHeaderSkip"));
    }
    if (advanced.Has("txtRawSampleRate")) {
        s.rawSampleRate = advanced.IntValue("txtRawSampleRate");
    }
    return s;
}

std::optional<DapHeader> ReadDapHeader(const std::string& path, HeaderRepair repair) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    char b[kDapHeaderBytes];
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= kDapHeaderBytes &&
                    ReadAt(fd, b, sizeof b, 0);
    ::close(fd);
    if (!ok) {
        return std::nullopt;
    }
    DapHeader h;
    h.field0.assign(b, 10);
    h.field10.assign(b + 10, 8);
    h.rateText.assign(b + 18, 6);
    h.field24.assign(b + 24, 2);
    h.countText.assign(b + kDapCountOffset, kDapCountChars);
    h.field32.assign(b + 32, 16);
    h.field48.assign(b + 48, 208);
    h.sampleRate = TextToInt32(h.rateText);
    h.dataSize = st.st_size - kDapHeaderBytes;

    const int64_t samples = h.dataSize / 2;
    if (repair == HeaderRepair::InPlace && samples > 999999 && h.countText.find('k') == std::string::npos) {
        std::string count = BareNumberText(static_cast<double>(samples / 1024)) + "k";
        if (count.size() <= kDapCountChars) {
            count.resize(kDapCountChars, ' ');
            const int out = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (out >= 0) {
                if (::pwrite(out, count.data(), count.size(), kDapCountOffset) ==
                    static_cast<ssize_t>(count.size())) {
                    h.countText = count;
                    h.countRewritten = true;
                }
                ::close(out);
            }
        }
    }
    return h;
}

SoundFileInfo DetectFileType(const std::string& path, const FileFormatSettings& settings,
                             HeaderRepair repair) {
    const std::string ext = ExtensionOf(path);
    const bool library = HasLibraryExtension(path);
    const bool known = library || ext == "WAV" || ext == "DAP" || ext == "BIN" || ext == "RAW" ||
                       ext == "EXT" || ext == "KAY" || ext == "001" || ext == "002" || ext == "003" ||
                       ext == "004" || IsRateExtension(ext, 'M') || IsRateExtension(ext, 'S');
    if (!known) {
        SoundFileInfo info;
        info.message = "Unknown File Extension (" + path + " > " + ext + ")";
        return info;
    }

    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return NotSound(path, std::strerror(errno));
    }
    if (S_ISDIR(st.st_mode)) {
        return NotSound(path, "a folder");
    }
    if (!S_ISREG(st.st_mode)) {
        return NotSound(path, "not a regular file");
    }
    if (::access(path.c_str(), R_OK) != 0) {
        return NotSound(path, std::strerror(errno));
    }
    const int64_t length = st.st_size;
    if (length == 0) {
        return NotSound(path, "empty");
    }

    if (library) {
        return DetectLibraryFile(path);
    }
    if (ext == "WAV") {
        return DetectWav(path, length, repair);
    }
    if (IsRateExtension(ext, 'M')) {
        return DetectDap(path, length, kFileMxx, repair);
    }
    if (ext == "DAP") {
        return DetectDap(path, length, kFileDap, repair);
    }
    if (IsRateExtension(ext, 'S')) {
        if (length < kDapHeaderBytes) {
            return NotSound(path, "header shorter than 256 bytes");
        }
        return DetectHeaderless(path, length, kFileSxx, kDapHeaderBytes, settings);
    }
    if (ext == "BIN" || ext == "RAW") {
        return DetectHeaderless(path, length, kFileRaw16, 0, settings);
    }
    if (ext == "EXT") {
        return DetectHeaderless(path, length, kFileExt32, std::max<int64_t>(settings.headerSkip, 0),
                                settings);
    }
    if (ext == "KAY") {
        return DetectKay(path, length);
    }
    SoundFileInfo info;
    info.type = kFileEars;
    info.channels = 1;
    info.sampleRate = kEarsSampleRate;
    info.size = length;
    info.dataEnd = length;
    return info;
}

SampleEncoding EncodingOf(int32_t type) {
    switch (type) {
    case kFileWav16:
    case kFileMxx:
    case kFileSxx:
    case kFileDap:
    case kFileRaw16:
    case kFileKay:
    case kFileEars:
    case kFileOtherFormat:
        return SampleEncoding::Int16;
    case kFileExt32:
    case kFileWav32Int:
        return SampleEncoding::Int32;
    case kFileWav32Float:
    case kFileWav32Float18:
        return SampleEncoding::Float32;
    default:
        return SampleEncoding::None;
    }
}

} // namespace ondrix
