// Sound files the analysis reads: recognition by extension, what their headers say, and where their
// samples lie.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ondrix {

class ControlModel;

// Type codes of the recognised files; the loops dispatch on them.
enum FileTypeCode : int32_t {
    kFileUnsupported = 0,
    kFileWav16 = 1,          // .wav, 16-bit PCM
    kFileMxx = 2,            // M08 .. M48, 256-byte ASCII header
    kFileSxx = 3,            // S08 .. S48, 256-byte header, nothing read from it
    kFileDap = 4,            // DAP, 256-byte ASCII header
    kFileRaw16 = 5,          // BIN, RAW: headerless 16-bit
    kFileExt32 = 6,          // EXT: 32-bit integers after an optional header
    kFileKay = 7,            // KAY: 512-byte header
    kFileEars = 9,           // 001 .. 004: records of 12 header bytes and 250 big-endian samples
    kFileOtherFormat = 10,   // FLAC, AIFF, W64, RF64, Ogg Vorbis and the WAV encodings the rules above
                             // refuse, decoded by libsndfile; addressed as 16-bit frames from byte 0
    kFileWav32Int = 161,     // .wav, 32-bit integer PCM (fmt size 16, tag 1)
    kFileWav32Float = 163,   // .wav, 32-bit float (fmt size 16, tag 3)
    kFileWav32Float18 = 183, // .wav, 32-bit float (fmt size 18, tag 3)
};

// The "File Formats" settings of the Advanced Settings window.
struct FileFormatSettings {
    double floatScale = 32767.0;  // float samples are multiplied by it
    int32_t scale32 = 65536;      // 32-bit integer samples are divided by it (values below 1 read as 1)
    int64_t headerSkip = 0;       // header bytes skipped in EXT files
    int32_t rawSampleRate = 5000; // sample rate of BIN, RAW and EXT files
};

// Reads TextScaleFloat, textScale32Bit, txtHeaderSkip and txtRawSampleRate.
FileFormatSettings FileFormatSettingsFrom(const ControlModel& advanced);

// What recognition found. Positions are byte offsets in the file.
struct SoundFileInfo {
    int32_t type = kFileUnsupported;
    int64_t headerSize = 0; // where the samples start (a WAV's real "data" chunk; 44 when canonical)
    int channels = 0;
    int32_t sampleRate = 0;
    int64_t size = 0;          // FileSize: RIFF size of a WAV, file length (- 256 for M, S and DAP files);
                               // for display and navigation: the data ends at dataEnd
    int64_t dataEnd = 0;       // where the samples end: never past the file length
    int bytesPerSample = 2;    // stored bytes of one sample of one channel: 2, or 4 (EXT, 161, 163, 183)
    int64_t frameAlign = 2;    // stored bytes of one frame (all channels); positions are
                               // headerSize + k * frameAlign (EARS: 2, positions in record bytes)
    bool repaired = false;     // the WAV header was repaired on the way (a recording never closed)
    std::string message;       // why the file cannot be analysed, the program's message; empty when it can
    std::string libraryFormat; // kFileOtherFormat: libsndfile's names of the container and the encoding
};

// Sample rates outside 1 .. kMaxSampleRate make a header absurd.
inline constexpr int64_t kMaxSampleRate = 10000000;
inline constexpr int32_t kEarsSampleRate = 25000;
inline constexpr int64_t kEarsRecordBytes = 512; // 12 header bytes and 250 samples
inline constexpr int64_t kEarsRecordHeaderBytes = 12;

// The 256-byte ASCII header of M08 .. M48, S08 .. S48 and DAP files (fields blank-padded).
struct DapHeader {
    std::string field0;          // 10 characters at 0
    std::string field10;         // 8 at 10
    std::string rateText;        // 6 at 18: the sample rate in decimal
    std::string field24;         // 2 at 24
    std::string countText;       // 6 at 26: the number of samples, or thousands of them followed by "k"
    std::string field32;         // 16 at 32
    std::string field48;         // 208 at 48
    int32_t sampleRate = 0;      // the value of rateText
    int64_t dataSize = 0;        // file length - 256
    bool countRewritten = false; // the count field was rewritten as thousands with "k"
};

// Whether recognition may correct a file's header in the file itself: the window does (a recording
// never closed is repaired once, for every program that reads it); the export reads its files without
// writing any of them and applies the same WAV size corrections to what it reads.
enum class HeaderRepair { InPlace, ReadOnly };

// Reads the header of an M or DAP file. In place, when the count field holds no "k" and the file holds
// more than 999 999 16-bit samples, writes at offset 26 the number of samples / 1024 followed by "k"
// and blanks ("976k  " for 1 000 000 samples); a count that does not fit the six characters that way
// leaves the field alone, and a file that cannot be written keeps its field. Nothing when the file is
// shorter than the header or cannot be read.
std::optional<DapHeader> ReadDapHeader(const std::string& path, HeaderRepair repair = HeaderRepair::InPlace);

// How the samples of a file type are stored; None for types the readers do not decode.
enum class SampleEncoding { None, Int16, Int32, Float32 };
SampleEncoding EncodingOf(int32_t type);

// The channel counts the analysis takes: one, two and four ("Number of channels not supported" else).
inline bool AnalysableChannels(int channels) {
    return channels == 1 || channels == 2 || channels == 4;
}

// Recognises a file by the last three characters of its name, upper-cased, and reads its header.
// Files named .flac, .aif, .aiff, .aifc, .w64, .rf64, .ogg or .oga, and WAV files that are RIFX or RF64
// or whose samples are neither 16 nor 32 bits wide, are read through libsndfile (kFileOtherFormat:
// header size 0, size and dataEnd frames x channels x 2); a WAV libsndfile refuses too keeps the
// built-in rules' verdict.
// Unknown extensions: type 0 with message "Unknown File Extension (" + name + " > " + extension + ")".
// Never reads outside the file; a file that cannot be opened or a truncated or absurd header gives
// type 0 with a clear message. In place, a 16-bit M or DAP file with more than 999 999 samples and no
// "k" in its count field gets that field rewritten, and a WAV whose sizes need repair (see
// WavHeaderNeedsRepair) is repaired first; read-only, or when the file cannot be written, the WAV is
// read with the repaired sizes (RepairedWavHeader) and nothing is written. S files, whose header
// states neither, get 1 channel and the raw sample rate setting.
SoundFileInfo DetectFileType(const std::string& path, const FileFormatSettings& settings,
                             HeaderRepair repair = HeaderRepair::InPlace);

} // namespace ondrix
