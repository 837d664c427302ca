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

// The sizes are the recorder's placeholders (-8/-44), point past the end of the file, or the RIFF size is
// 0 .. 255 over a file it does not describe (a recorder that died before writing any size). A valid
// file above 2 GiB has sizes above 2^31 and is left alone.
bool WavHeaderNeedsRepair(const WavHeaderFields& header);

// The header as RepairWavHeader leaves it: RIFF size = length - 8; data size = length - data offset
// when the program's own header is written or the data size is wrong (a placeholder, past the end, or
// beside a leftover RIFF size), else kept. Every other field as read. Lets a file that must not be
// written be read as if it had been repaired.
WavHeaderFields RepairedWavHeader(const WavHeaderFields& header);

// Rewrites the sizes from the file length (see RepairedWavHeader). A canonical 16-bit PCM file gets
// the program's 44-byte header with the channels and rate read. Any other file, a file of 32-bit or
// float samples or one whose data chunk is not at byte 36, gets only its RIFF and data size fields
// rewritten: its stated sample format and its other chunks stay what they are. False, with a message
// in `error`, when the file cannot be read or written. Refuses a file that does not begin with "RIFF"
// and "WAVE": its first bytes are not a header to overwrite.
bool RepairWavHeader(const std::string& path, std::string* error = nullptr);

// The text of "Check wav header": lines "File " + name, "Signature ", "Filesize ", ... "Data size ",
// joined by CR LF, numbers with their leading blank. Identifier bytes that are not printable show as
// "?". A file without a header gives one line saying so.
std::string WavHeaderReport(const std::string& path);

} // namespace ondrix
