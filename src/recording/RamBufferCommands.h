// The RAM buffer of the real-time runs and the commands that save, analyse or play what it holds.
#pragma once

#include "recording/RamBuffer.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;

// What the commands ask of the rest of the program. Unset hooks do nothing.
struct RamBufferEnvironment {
    std::function<std::tm()> clock = nullptr;        // local time now (file names)
    std::function<void()> stopRun = nullptr;         // a full stop-when-full buffer ends the run
    std::function<void()> saveSpecGram = nullptr;    // the picture is kept before a dialog ...
    std::function<void()> restoreSpecGram = nullptr; // ... and shown again after it
    // "Analyze Buffer", "Play Buffer": open the saved file.
    std::function<void(const std::string& path)> open = nullptr;
    std::string workFolder = {}; // where "temp.wav" is written (ends in "/")
};

// Binds the Buffer menu's commands and "Play Buffer"/"Analyze Buffer" of the Debug menu (Attach); a run
// calls RunStarts and Append through its hooks.
class RamBufferCommands {
public:
    RamBufferCommands(SettingsModel& settings, Interaction& interaction, RamBufferEnvironment environment);

    void Attach(MenuModel& menus);

    // A real-time run starts: the buffer of the size and mode the settings give, for the run's blocks.
    // Answers the part of the run's description that tells its length ("  Buffer  43.69sec"), or "".
    std::string RunStarts(int blockValues, int channels, uint32_t rate);
    // A raw block of the run: appended, the fill shown, the run stopped when a stop-when-full buffer fills.
    void Append(std::span<const int16_t> block);
    // File playback empties the buffer.
    void Empty() { buffer_.Empty(); }
    const RamBuffer& Buffer() const { return buffer_; }

    // "Save Buffer" (also the remote command and "Quick Save Buffer"); with seconds, the newest part only
    // (the 60 s and 120 s saves).
    void SaveBuffer(std::optional<double> lastSeconds = {});
    void SaveBufferAs();
    void SaveBufferPartial();
    // "Analyze Buffer" and "Play Buffer": the buffer saved as "temp.wav" and opened.
    void OpenBuffer(bool restoreFirst);

private:
    std::string FolderPath() const;
    std::string ProposedName() const;
    bool ReportEmpty(bool restore);
    void Save(const std::string& path, std::optional<double> lastSeconds);
    void Restore();

    SettingsModel& settings_;
    Interaction& interaction_;
    RamBufferEnvironment env_;
    RamBuffer buffer_;
};

} // namespace ondrix
