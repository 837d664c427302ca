// The disk and system utilities attached to their buttons: those of the "Special Settings" window, "Info
// Disks" of Basic Settings and the Utilities menu's "Check Disks".
#pragma once

#include "system/SystemInfo.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class Interaction;
class MenuModel;
class Palette;
class SettingsModel;

struct SystemEnvironment {
    SettingsModel& settings;
    MenuModel& menus;
    Interaction& interaction;
    VolumeSystem& volumes;
    const Palette& palette;
    std::string programFolder; // where "TaskKiller.set" is looked for
    // Clears the spectrogram picture and prints the lines on it.
    std::function<void(const std::vector<std::string>& lines)> showReport;
    // The installed printers' names.
    std::function<std::vector<std::string>()> printers;
    std::function<void()> updateForm;
    std::function<void()> restoreSpecGram;
    // Sets the priority of the program's process (tests run it in a child process).
    std::function<PriorityResult(PriorityClass)> setPriority = SetProcessPriority;
};

inline constexpr const char* kKillTasksMessage =
    "Only tasks listed in the file 'TaskKiller.set' will be killed";

// The environment must outlive the models' use of the handlers. Fills the drive list with the volumes.
void AttachSystemUtilities(SystemEnvironment environment);

} // namespace ondrix
