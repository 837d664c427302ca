// The Utilities menu's file tools ("Split Stereo File", "Extract Cut", "Convert .ext to .wav") and the
// Debug menu's "Split 4 channels raw to .wav": the dialogs around the utilities.
#pragma once

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;
class TaskController;

void AttachFileUtilities(MenuModel& menus, SettingsModel& settings, const TaskController& tasks,
                         Interaction& interaction);

} // namespace ondrix
