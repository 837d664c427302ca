// The open dialog every "Open ..." command of the File menu goes through.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

class Interaction;
class SettingsModel;
class TaskController;

// Whether a chosen name fits the dialog's extension: its last characters (three for the menu's
// extensions) equal the extension without regard to case. "m??" (the M08 .. M48 files) and an empty extension
// accept any name.
bool NameFitsExtension(std::string_view name, std::string_view extension);

// Lets the user choose an existing file of the extension, starting in the play folder ("Play Path")
// with the pattern "*." + extension. A name of another extension shows the dialog again. A chosen file
// that exists becomes `then`'s argument and its folder the play folder; cancel or a missing file does
// nothing. While a loop runs nothing is shown. The answer may arrive after this returns.
void OpenFileDialog(SettingsModel& settings, const TaskController& tasks, Interaction& interaction,
                    const std::string& extension, std::function<void(const std::string&)> then);
// The same for names of any of the extensions, with one pattern each.
void OpenFileDialog(SettingsModel& settings, const TaskController& tasks, Interaction& interaction,
                    const std::vector<std::string>& extensions, std::function<void(const std::string&)> then);

} // namespace ondrix
