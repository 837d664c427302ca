// The navigation controls of the file view: page steps, GoTo, Skip and "Reset Timer". They move the
// current file's position; a running file loop draws the new page at its next pass.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ondrix {

struct CurrentFile;
class Interaction;
class SettingsModel;
class SpectrogramRenderer;
class TaskController;

// Bindings made by the constructor: clicks (ControlModel::Click) on Command1, Command5, Command6,
// Command3, Command11, Command7, Command13, Command12, GoToS, GoToS2, Jump, RefreshButton, Command9 and
// ZoomFlag of the main window, the zoom base spin UpDown5 in task 4, and the task hook that resets the
// file view at Start in task 4.
// Every position it sets is a page start: the header size + a whole number of frames.
class FileNavigation {
public:
    FileNavigation(SettingsModel& settings, TaskController& tasks, Interaction& interaction,
                   CurrentFile& file, const SpectrogramRenderer& renderer);
    FileNavigation(const FileNavigation&) = delete;
    FileNavigation& operator=(const FileNavigation&) = delete;

    // Called after GoTo or Skip moved the position (playback clears its history and marks the picture).
    std::function<void()> repositioned;

    // The page steps: whole pages, quarters and sixteenths, forward (+) or back (-), each rounded to
    // whole frames and at least one frame.
    void Step(int direction, int parts);
    void ToStart();
    void ToEnd();
    // GoTo: an absolute time; Skip: a time forward. "End of File" when it lies at or beyond the data end
    // (however many digits the text has); a negative or non-numeric GoTo moves to the start of the
    // data, and a Skip back stops there.
    void GoTo(const std::string& text);
    void Skip(const std::string& text);
    // "Refresh": forgets the page last drawn, so a running loop draws the page at the position again.
    void Refresh();
    void ResetTimer();

    // The page length now: the running loop's, or what the loop would use with the current settings.
    int64_t FrameBytes() const;

private:
    void OnClick(const std::string& name);
    void MoveTo(int64_t pos);
    void MoveToTime(int64_t pos);
    int64_t TimeOffset(const std::string& text) const;

    SettingsModel& settings_;
    TaskController& tasks_;
    Interaction& interaction_;
    CurrentFile& file_;
    const SpectrogramRenderer& renderer_;
};

} // namespace ondrix
