// The last minutes of live input kept in memory, so a sound just heard can be saved after the fact.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

enum class RamBufferMode {
    Circular = 1,     // keeps overwriting the oldest block
    StopWhenFull = 2, // the run stops when the buffer is full
};

// One contiguous array of interleaved 16-bit values, a whole number of blocks long. It lives across runs:
// a real-time run reallocates it, file playback empties it, and its content can be saved after the run.
class RamBuffer {
public:
    struct Appended {
        std::optional<int> percent; // the fill before this block, when it changed since last shown
        bool full = false;          // stop-when-full mode and this block filled the buffer: stop the run
    };
    enum class Saved {
        Whole,     // all it holds, oldest first
        Requested, // the newest part asked for
        Shorter,   // more was asked for than it can hold: the whole buffer was saved
        Failed,    // the file could not be written
    };

    // A real-time run starts: `megabytes` of capacity (0 switches the buffer off), rounded down to whole
    // blocks of `blockValues` of the run's sound; empty. False when the memory cannot be had: the buffer
    // is then off.
    bool Start(int megabytes, RamBufferMode mode, int blockValues, int channels, uint32_t rate);
    // Forgets the content (file playback), keeping the capacity.
    void Empty();

    // Appends one block (a run's turn). Nothing happens when the buffer is off; a full stop-when-full
    // buffer takes no more.
    Appended AppendBlock(std::span<const int16_t> block);

    bool On() const { return !data_.empty(); }
    // Something has been appended since the run started (or playback emptied it).
    bool HoldsSound() const { return On() && (writePos_ > 0 || wrapped_); }
    // The capacity in seconds of the run's sound.
    double Seconds() const { return On() ? static_cast<double>(Capacity()) / channels_ / rate_ : 0.0; }
    int64_t Capacity() const { return static_cast<int64_t>(data_.size()); }
    int64_t WritePosition() const { return writePos_; }
    bool Wrapped() const { return wrapped_; }

    // Writes the whole content, oldest first, as a WAV file of the program's own header with the rate and
    // channels it was captured with (the file is replaced).
    Saved SaveWhole(const std::string& path) const;
    // Writes the newest `seconds`, taken in whole 2048-value steps; only what was recorded when the buffer
    // holds less; the whole buffer (Shorter) when it cannot hold that much.
    Saved SaveLastSeconds(const std::string& path, double seconds) const;

private:
    using Ranges = std::vector<std::span<const int16_t>>;
    Ranges WholeRanges() const;
    bool Write(const std::string& path, const Ranges& ranges) const;

    std::vector<int16_t> data_;
    RamBufferMode mode_ = RamBufferMode::Circular;
    int channels_ = 1;
    uint32_t rate_ = 1;
    int64_t writePos_ = 0;
    bool wrapped_ = false;
    int lastPercent_ = -1;
};

// "buffer end at YYYYMMDD_hhmmss", followed by a blank and the position last received when one is given.
std::string RamBufferFileName(const std::tm& when, std::string_view position);

} // namespace ondrix
