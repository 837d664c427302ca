// Records the blocks of a real-time run to WAV files: one file, a circular file, or a series of files
// split by size or on the clock, with pauses written as one block of silence.
#pragma once

#include "recording/FileNaming.h"
#include "recording/Volumes.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

// Below this many free kilobytes on the recording volume, the file is closed.
inline constexpr uint64_t kDiskLowKB = 100000;

// The largest file size in megabytes, which keeps the sizes of a WAV header below 2^31.
inline constexpr double kMaxFileMegabytes = 2000.0;

enum class FileMode { Circular = 1, SingleFile = 2, MultipleFiles = 3 };

struct RecorderSettings {
    FileMode mode = FileMode::SingleFile;
    std::string modeText = "2 - single file"; // as shown in the log
    double maxFileMegabytes = 680;            // as set, for the status label
    uint64_t maxFileBytes = 680ULL * 1048576; // a file longer than this is rewritten, ended or switched
    bool split00 = false;                     // a new file on the hour
    bool split30 = false;                     // and on the half hour
    int maxFiles = 9999;                      // multiple files: the run stops after this many
    bool spanDisks = false;                   // move on to the next volume with room
    std::string folder;
    FileNameOptions naming{};
    int channels = 1;
    uint32_t rate = 48000;
    std::string inputName{}; // the sound input, for the log
    int blockValues = 0;     // 16-bit values per block, all channels
};

class SettingsModel;

// The recording choices of the Basic Settings window for a run of the given format. The size is
// limited to 1 .. kMaxFileMegabytes (a larger size is written back as "2000 MB"); a mode other than 1 or
// 3 is a single file.
RecorderSettings RecorderSettingsFromSettings(SettingsModel& settings, int channels, uint32_t rate,
                                              const std::string& inputName, int blockValues);

// What the recorder needs from the run around it.
struct RecorderEnvironment {
    VolumeSystem& volumes;
    std::function<std::tm()> clock;                  // local time now
    std::function<void(const std::string&)> log;     // one session-log line
    std::function<std::string()> position = nullptr; // the position text last received, when named
    // The run's counters, reported at each close; a file closed in mid-run starts them anew.
    std::function<int64_t()> fails = nullptr;
    std::function<int64_t()> overloads = nullptr;
    std::function<void()> restartCounts = nullptr;
    std::function<void()> fileSwitched = nullptr; // the next file of a switch is open: show its name
};

class Recorder {
public:
    Recorder(RecorderSettings settings, RecorderEnvironment environment);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Checks the name options and the space, and creates the first file. Empty on success, else the
    // message to show ("Not enough space on /media/x/"); nothing is created then. A name already in
    // use gets a suffix ("_n1", "_n2", ...): existing recordings are never deleted or overwritten.
    std::string Begin();
    // Appends one block (or, on the first paused turn, one block of silence), then applies the size
    // limit, the disk watch (a file is closed below kDiskLowKB free; multiple files go on on the next
    // volume when spanning) and the clock split. Does nothing when no file is open.
    void RecordBlock(std::span<const int16_t> block, bool paused);
    // Completes the header of the open file, closes it and logs the closing line.
    void End();

    // Raised by the size limit of a single file, the file count limit, a full disk and write failures.
    bool StopRequested() const { return stopRequested_; }
    const std::string& FileName() const { return fileName_; }
    int FileCounter() const { return fileCounter_; }
    // Length of the open file so far, header included.
    uint64_t FileBytes() const { return fileBytes_; }
    // Recorded duration of the open file as "hh:mm:ss.mmm".
    std::string DurationText() const;
    // The size label: kilobytes of the open file, header included (" 1234 kB").
    std::string SizeText() const;
    // The recording's part of the status line: "  Rec " + file, then " (Auto Split)" for multiple
    // files split on the clock, else " (max 680MB)"; " (Repeat)" for multiple files.
    std::string StatusText() const;
    // A line of the run for the session log ("Fail", ...), written while recording.
    void Log(const std::string& message) { env_.log(message); }

private:
    bool OpenNext(const std::string& creatingWord);
    void CloseFile(const std::string& closingWord);
    void SwitchFile(const std::string& closingWord, const std::string& creatingWord);
    bool Append(std::span<const int16_t> block);
    std::string Counts() const;
    std::string MinuteNow() const;
    void WatchDisk();

    RecorderSettings settings_;
    RecorderEnvironment env_;
    int fd_ = -1;
    std::string fileName_;
    uint64_t position_ = 0;  // write position
    uint64_t fileBytes_ = 0; // length of the open file
    int fileCounter_ = 1;
    bool paused_ = false;
    bool wrapped_ = false; // a circular file has come back to the start of its data
    bool stopRequested_ = false;
    std::string minute_;
    std::vector<int16_t> silence_;
    std::vector<std::string> written_; // the files of this run
};

} // namespace ondrix
