// Sound files read through libsndfile: FLAC, AIFF, W64, RF64, Ogg Vorbis, and the WAV encodings the
// built-in rules refuse (8- and 24-bit PCM, 64-bit float, mu-law, A-law, big-endian RIFX).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sf_private_tag; // libsndfile's SNDFILE

namespace ondrix {

// The extensions (lower-case, without the dot) of the files only libsndfile reads.
const std::vector<std::string>& LibraryExtensions();
bool HasLibraryExtension(std::string_view path);

// What libsndfile says of a file it opens.
struct LibraryFileFacts {
    int channels = 0;
    int64_t sampleRate = 0;
    int64_t frames = 0;
    std::string format; // libsndfile's names of the container and the encoding
};

// Opens the file, reads its facts and reads its last frame, so that a file cut short (a truncated FLAC
// whose header states more frames than it holds) is refused here and not half way through. Nothing,
// with the reason in `why`, when libsndfile refuses the file.
std::optional<LibraryFileFacts> ProbeLibraryFile(const std::string& path, std::string& why);

// An open file: frames read from any frame index, seeking only when the stream is elsewhere.
class LibrarySoundFile {
public:
    LibrarySoundFile() = default;
    ~LibrarySoundFile();
    LibrarySoundFile(const LibrarySoundFile&) = delete;
    LibrarySoundFile& operator=(const LibrarySoundFile&) = delete;

    // False, with the reason in `why`, when libsndfile cannot open it.
    bool Open(const std::string& path, std::string& why);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    int Channels() const { return channels_; }
    // Whether the samples are decoded as floats (float, double, Vorbis, Opus: -1 .. +1), else as integers
    // left-justified in 32 bits (a 16-bit sample v reads as v x 65536).
    bool FloatSamples() const { return floatSamples_; }

    // Read `frames` frames from frame `frame` into `into` (frames x channels values). Return the frames
    // read; -1 when the frame cannot be reached. No allocation.
    int64_t ReadIntegers(int64_t frame, int32_t* into, int64_t frames);
    int64_t ReadFloats(int64_t frame, double* into, int64_t frames);
    // Why the latest read failed: libsndfile's text, or that the data ended early.
    const char* Error() const;

private:
    bool SeekTo(int64_t frame);

    sf_private_tag* file_ = nullptr;
    int64_t cursor_ = 0; // the frame the stream reads next
    int channels_ = 0;
    bool floatSamples_ = false;
};

} // namespace ondrix
