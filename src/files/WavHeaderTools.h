// Reading, checking and repairing the header of WAV files, including files with other chunks (LIST,
// bext, fact) before their samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ondrix {

// The fields of a WAV header as stored. Sizes are unsigned; offsets 64-bit.
struct WavHeaderFields {
    char riffId[4]{};      // bytes 0..3
    uint32_t riffSize = 0; // bytes 4..7
    char formatId[8]{};    // bytes 8..15, "WAVEfmt " in a canonical file
    uint32_t fmtSize = 0;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    char dataId[4]{}; // the identifier of the data chunk ("data")
    uint32_t dataSize = 0;
    int64_t dataOffset = 44;      // where the samples start (the byte after the "data" chunk header)
    int64_t sizeFieldOffset = 40; // where the data size field lies
    int64_t fileLength = 0;
    uint16_t subFormat = 0;   // the format tag inside a WAVE_FORMAT_EXTENSIBLE fmt chunk (0 otherwise)
    bool chunksFound = false; // "fmt " and "data" were found by walking the chunks
};

inline constexpr uint32_t kRiffSizePlaceholder = 0xFFFFFFF8u; // -8: a recording still being written
inline constexpr uint32_t kDataSizePlaceholder = 0xFFFFFFD4u; // -44
inline constexpr uint16_t kWavTagPcm = 1;
inline constexpr uint16_t kWavTagFloat = 3;
inline constexpr uint16_t kWavTagExtensible = 0xFFFE;

// Reads the header, walking the chunks from byte 12 to find "fmt " and "data" (odd chunk sizes are
// padded to even). A file where the walk finds neither is read as the canonical 44-byte header. Nothing
// when the file cannot be read, is not a regular file or is shorter than 44 bytes, or when its "fmt "
// chunk lies elsewhere but no "data" chunk follows; never reads outside the file.
std::optional<WavHeaderFields> ReadWavHeader(const std::string& path);

// The sizes are the recorder's placeholders (-8/-44) or point past the end of the file.
bool WavHeaderNeedsRepair(const WavHeaderFields& header);

// Rewrites the sizes from the file length: a canonical file gets the program's 44-byte 16-bit PCM
// header with the channels and rate read; a file whose data chunk is elsewhere gets only its RIFF and
// data size fields rewritten. False, with a message in `error`, when the file cannot be read or written.
// Refuses a file that does not begin with "RIFF" and "WAVE": its first bytes are not a header to
// overwrite.
bool RepairWavHeader(const std::string& path, std::string* error = nullptr);

// Rewrites only the RIFF size (length - 8) and, when it is a placeholder or points past the end, the
// data size (length - data offset); every other byte, the stated sample format included, is kept.
// Used on files whose samples are not 16-bit PCM, so that they stay readable as what they are.
bool RepairWavSizes(const std::string& path, std::string* error = nullptr);

// The text of "Check wav header": lines "File " + name, "Signature ", "Filesize ", ... "Data size ",
// joined by CR LF, numbers with their leading blank. Identifier bytes that are not printable show as
// "?". A file without a header gives one line saying so.
std::string WavHeaderReport(const std::string& path);

} // namespace ondrix
