// The text logs of the detectors: their names, their creation without overwriting, and their lines.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace ondrix {

// folder (a "/" added when missing) + first + namePart, then " " + stamp when a stamp is given, then
// " CH" + the channel index when one is given (>= 0), then the extension (".track.txt").
std::string DetectionLogName(std::string_view folder, std::string_view first, std::string_view namePart,
                             std::string_view stamp, int channel, std::string_view extension);

// The name itself when no file has it yet, else the name with "_n1", "_n2", ... before the extension:
// an earlier log is never replaced.
std::string UnusedLogName(const std::string& name, std::string_view extension);

// One log file, written line by line with CR LF; closed by its destructor.
class DetectionLog {
public:
    DetectionLog() = default;
    ~DetectionLog() { Close(); }
    DetectionLog(const DetectionLog&) = delete;
    DetectionLog& operator=(const DetectionLog&) = delete;

    // Creates the file; false when it cannot be created.
    bool Create(const std::string& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // The file's path while it is open, else empty.
    const std::string& Path() const { return path_; }

    // Appends the text and CR LF; nothing when the log is not open.
    void WriteLine(std::string_view text);

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

} // namespace ondrix
