// Reading, checking and repairing the header of WAV files, including files with other chunks (LIST,
// bext, fact) before their samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ondrix {

// The fields of a WAV header as stored. Sizes are unsigned; offsets 64-bit.
struct WavHeaderFields {
    char riffId[4]{};          // bytes 0..3
    uint32_t riffSize = 0;     // bytes 4..7
    char formatId[8]{};        // bytes 8..15, "WAVEfmt " in a canonical file
    uint32_t fmtSize = 0;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    char dataId[4]{};          // the identifier of the data chunk ("data")
    uint32_t dataSize = 0;
    int64_t dataOffset = 44;   // where the samples start (the byte after the "data" chunk header)
    int64_t sizeFieldOffset = 40; // where the data size field lies
    int64_t fileLength = 0;
};

// Reads the header, walking the chunks to find "fmt " and "data". Nothing when the file cannot be
// read or is shorter than a header; never reads outside the file.
std::optional<WavHeaderFields> ReadWavHeader(const std::string& path);

// The sizes are the recorder's placeholders (-8/-44) or point past the end of the file.
bool WavHeaderNeedsRepair(const WavHeaderFields& header);

// Rewrites the sizes from the file length: a canonical file gets the program's 44-byte 16-bit PCM
// header with the channels and rate read; a file whose data chunk is elsewhere gets only its RIFF and
// data size fields rewritten. False, with a message in `error`, when the file cannot be read or written.
bool RepairWavHeader(const std::string& path, std::string* error = nullptr);

// The text of "Check wav header": lines "File " + name, "Signature ", "Filesize ", ... "Data size ",
// joined by CR LF, numbers with their leading blank.
std::string WavHeaderReport(const std::string& path);

} // namespace ondrix
