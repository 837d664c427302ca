#include "recording/Recorder.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "recording/WavHeader.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace ondrix {

Recorder::Recorder(RecorderSettings settings, RecorderEnvironment environment)
    : settings_(std::move(settings)), env_(std::move(environment)) {}

Recorder::~Recorder() {
    if (fd_ >= 0) {
        End();
    }
}

std::string Recorder::MinuteNow() const {
    const std::tm now = env_.clock();
    char text[8];
    std::snprintf(text, sizeof text, "%02d", now.tm_min % 100);
    return text;
}

std::string Recorder::Counts() const {
    const int64_t fails = env_.fails ? env_.fails() : 0;
    const int64_t overloads = env_.overloads ? env_.overloads() : 0;
    return " Fails" + NumberText(static_cast<double>(fails)) + " Overloads" +
           NumberText(static_cast<double>(overloads));
}

std::string Recorder::DurationText() const {
    const uint64_t data = fileBytes_ > kWavHeaderBytes ? fileBytes_ - kWavHeaderBytes : 0;
    return SecondsToClock(static_cast<double>(data) / settings_.channels / 2.0 / settings_.rate);
}

std::string Recorder::SizeText() const {
    return NumberText(RoundHalfEven(static_cast<double>(fileBytes_) / 1024.0)) + " kB";
}

std::string Recorder::StatusText() const {
    const bool multiple = settings_.mode == FileMode::MultipleFiles;
    std::string text = "  Rec " + fileName_;
    if ((settings_.split00 || settings_.split30) && multiple) {
        text += " (Auto Split)";
    } else {
        text += " (max" + NumberText(settings_.maxFileMegabytes) + "MB)";
    }
    if (multiple) {
        text += " (Repeat)";
    }
    return text;
}

std::string Recorder::Begin() {
    if (const std::string problem = CheckFileNameOptions(settings_.naming); !problem.empty()) {
        return problem;
    }
    if (settings_.folder.empty() || settings_.folder.front() != '/') {
        // A relative folder would record wherever the program happened to start.
        return "The recording folder must be a full path: \"" + settings_.folder + "\"";
    }
    const uint64_t neededKB = settings_.maxFileBytes / 1024;
    const auto choice =
        FindDriveWithSpace(env_.volumes, settings_.folder, neededKB, settings_.spanDisks ? 9 : 1);
    if (!choice) {
        if (!env_.volumes.Writable(settings_.folder)) {
            return "Cannot write in the recording folder " + WithTrailingSlash(settings_.folder);
        }
        return "Not enough space on " + env_.volumes.VolumeOf(settings_.folder);
    }
    settings_.folder = choice->folder;
    silence_.assign(static_cast<std::size_t>(std::max(settings_.blockValues, 0)), 0);
    fileCounter_ = 1;
    written_.clear();
    paused_ = false;
    wrapped_ = false;
    stopRequested_ = false;
    minute_ = MinuteNow();
    env_.log(NumberText(settings_.channels) + "ch" + NumberText(settings_.rate) + " " + settings_.inputName +
             " block " + NumberText(settings_.blockValues));
    if (!OpenNext("Creating ")) {
        return "Cannot create " + fileName_;
    }
    return {};
}

bool Recorder::OpenNext(const std::string& creatingWord) {
    FileNameInput input{.counter = fileCounter_,
                        .when = env_.clock(),
                        .position = env_.position ? env_.position() : std::string(),
                        .channels = settings_.channels,
                        .rate = settings_.rate};
    const RecordingFileName name = CreateFileName(settings_.naming, input, settings_.folder);
    // A name already taken (a file of an earlier run, or a name without number or fine enough stamp
    // repeating in this one) gets a suffix: no recording is ever deleted or overwritten.
    fileName_ =
        FirstFreeName(WithTrailingSlash(settings_.folder) + name.bareName, ".wav", settings_.naming.separator,
                      [this](const std::string& candidate) {
                          std::error_code error;
                          return std::filesystem::exists(candidate, error) ||
                                 std::find(written_.begin(), written_.end(), candidate) != written_.end();
                      });
    written_.push_back(fileName_);
    std::error_code error;
    std::filesystem::create_directories(settings_.folder, error);
    env_.log(creatingWord + fileName_ +
             (creatingWord == "Creating " && fileCounter_ == 1 ? " Rec Mode " + settings_.modeText
                                                               : std::string()));
    fd_ = open(fileName_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0 || !WriteWavHeader(fd_, settings_.channels, settings_.rate)) {
        if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
        env_.log("Stop: cannot create " + fileName_);
        stopRequested_ = true;
        return false;
    }
    position_ = kWavHeaderBytes;
    fileBytes_ = kWavHeaderBytes;
    if (fileCounter_ > 1 && env_.fileSwitched) {
        env_.fileSwitched();
    }
    return true;
}

void Recorder::CloseFile(const std::string& closingWord) {
    if (fd_ < 0) {
        return;
    }
    WriteWavHeader(fd_, settings_.channels, settings_.rate);
    close(fd_);
    fd_ = -1;
    env_.log(closingWord + fileName_ + Counts());
    // Each file reports the fails and overloads of its own time.
    if (env_.restartCounts) {
        env_.restartCounts();
    }
}

void Recorder::SwitchFile(const std::string& closingWord, const std::string& creatingWord) {
    CloseFile(closingWord);
    ++fileCounter_;
    if (settings_.maxFiles < fileCounter_) {
        // No empty file is left behind for a run that is about to end.
        stopRequested_ = true;
        return;
    }
    OpenNext(creatingWord);
}

bool Recorder::Append(std::span<const int16_t> block) {
    const auto* bytes = reinterpret_cast<const char*>(block.data());
    std::size_t left = block.size_bytes();
    uint64_t at = position_;
    while (left > 0) {
        // One call per block; a short write (a signal, a full page cache) continues where it stopped.
        const ssize_t n = pwrite(fd_, bytes, left, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            env_.log("Stop: write error on " + fileName_);
            stopRequested_ = true;
            return false;
        }
        bytes += n;
        left -= static_cast<std::size_t>(n);
        at += static_cast<uint64_t>(n);
    }
    position_ = at;
    fileBytes_ = std::max(fileBytes_, position_);
    return true;
}

void Recorder::RecordBlock(std::span<const int16_t> block, bool paused) {
    if (fd_ < 0) {
        return;
    }
    bool wrote = false;
    if (!paused) {
        if (paused_) {
            env_.log("Resuming...");
            paused_ = false;
        }
        wrote = Append(block);
    } else if (!paused_) {
        env_.log("Pausing...");
        if (silence_.size() != block.size()) {
            silence_.assign(block.size(), 0);
        }
        wrote = Append(silence_);
        paused_ = true;
    }
    if (wrote && position_ > settings_.maxFileBytes) {
        switch (settings_.mode) {
        case FileMode::Circular:
            position_ = kWavHeaderBytes;
            wrapped_ = true;
            env_.log("rewriting " + fileName_);
            break;
        case FileMode::SingleFile:
            stopRequested_ = true;
            break;
        case FileMode::MultipleFiles:
            // The two-channel loop names its size-limit switches as the clock switches.
            if (settings_.channels == 2) {
                SwitchFile("Closed  ", "Created ");
            } else {
                SwitchFile("Closing  ", "Creating ");
            }
            break;
        }
    }
    WatchDisk();
    if (fd_ >= 0 && (settings_.split00 || settings_.split30)) {
        const std::string last = std::exchange(minute_, MinuteNow());
        const bool due =
            (last == "59" && minute_ == "00") || (settings_.split30 && last == "29" && minute_ == "30");
        if (due) {
            SwitchFile("Closed  ", "Created ");
        }
    }
}

void Recorder::WatchDisk() {
    if (fd_ < 0 || stopRequested_ || env_.volumes.FreeKB(settings_.folder).value_or(0) >= kDiskLowKB) {
        return;
    }
    if (settings_.mode != FileMode::MultipleFiles) {
        // A circular file that has wrapped no longer grows; any other file would fill the disk.
        if (settings_.mode == FileMode::Circular && wrapped_) {
            return;
        }
        stopRequested_ = true;
        env_.log("Disk Full - Closing " + fileName_ + Counts());
        return;
    }
    CloseFile("Disk Full - Closing  ");
    std::string stop;
    if (!settings_.spanDisks) {
        stop = "Stop: " + settings_.folder + " Disk Full";
    } else if (const auto next = NextVolumeFolder(env_.volumes, settings_.folder); !next) {
        stop = "Stop: no volume after " + env_.volumes.VolumeOf(settings_.folder);
    } else {
        settings_.folder = *next;
        env_.log("Switch to " + settings_.folder);
        if (!env_.volumes.Writable(settings_.folder)) {
            stop = "Stop: " + settings_.folder + " non writable";
        } else if (env_.volumes.FreeKB(settings_.folder).value_or(0) < settings_.maxFileBytes / 1024) {
            stop = "Stop: " + settings_.folder + " Disk Full";
        }
    }
    ++fileCounter_;
    if (!stop.empty() || settings_.maxFiles < fileCounter_) {
        // No file is opened on a volume that cannot take it, nor for a run about to end.
        if (!stop.empty()) {
            env_.log(stop);
        }
        stopRequested_ = true;
        return;
    }
    OpenNext("Creating ");
}

void Recorder::End() {
    stopRequested_ = true;
    if (fd_ < 0) {
        return;
    }
    const uint64_t length = fileBytes_;
    WriteWavHeader(fd_, settings_.channels, settings_.rate);
    close(fd_);
    fd_ = -1;
    silence_.clear();
    silence_.shrink_to_fit();
    env_.log("Closing  " + fileName_ + NumberText(RoundHalfEven(static_cast<double>(length) / 1024.0)) +
             "kB" + Counts());
}

RecorderSettings RecorderSettingsFromSettings(SettingsModel& settings, int channels, uint32_t rate,
                                              const std::string& inputName, int blockValues) {
    ControlModel& basic = settings.Window(WindowId::Options0);
    RecorderSettings result;
    const int mode = basic.IntValue("FileModeCombo");
    result.mode = mode == 1 ? FileMode::Circular : mode == 3 ? FileMode::MultipleFiles : FileMode::SingleFile;
    result.modeText = basic.Text("FileModeCombo");
    const double megabytes = std::clamp(basic.Value("FileMaxSizeCombo"), 1.0, kMaxFileMegabytes);
    if (basic.Value("FileMaxSizeCombo") > kMaxFileMegabytes) {
        // A larger size (from a settings file) is shown as what is used.
        basic.SetText("FileMaxSizeCombo", "2000 MB");
    }
    result.maxFileMegabytes = megabytes;
    result.maxFileBytes = static_cast<uint64_t>(RoundToInt64(megabytes * 1048576.0));
    result.split00 = basic.Checked("Split00");
    result.split30 = basic.Checked("Split30");
    result.maxFiles = basic.IntValue("MaxNFiles");
    result.spanDisks = basic.Checked("SpanDiskCheck");
    result.folder = basic.Text("FileRecPathField");
    result.naming = FileNameOptionsFromSettings(settings);
    result.channels = channels;
    result.rate = rate;
    result.inputName = inputName;
    result.blockValues = blockValues;
    return result;
}

} // namespace ondrix
