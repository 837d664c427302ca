// Settings that last: control-state files (with the undo file), preset files (with the built-in
// presets and "temp.preset"), and the default-paths file, all kept in the program folder.
#pragma once

#include "settings/WindowId.h"

#include "settings/ProgramIdentity.h"
#include <functional>

#include <string>
#include <string_view>

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;

// The files of the program folder. `folder` ends in "/".
struct ProgramFiles {
    std::string folder;

    std::string UserDefault() const {
        return folder + std::string(kProgramName) + std::string(kSettingsExtension);
    }
    std::string Undo() const { return folder + "annulla.ini"; }
    std::string TempPreset() const { return folder + "temp.preset"; }
    std::string DefaultPreset() const { return folder + "default.preset"; }
    std::string DefaultPaths() const { return folder + "defpaths.ini"; }
    std::string Rates() const { return folder + "rates.ini"; }
    std::string TempWav() const { return folder + "temp.wav"; }
};

// The built-in presets of the Presets menu, by command name.
enum class BuiltInPreset {
    Default,
    VeryLowFrequencies,
    Mono32,
    Mono48,
    Stereo32,
    Stereo48,
    UltraMic200,
    UltraMic250
};

class SettingsFiles {
public:
    SettingsFiles(SettingsModel& settings, Interaction& interaction, ProgramFiles files);
    SettingsFiles(const SettingsFiles&) = delete;
    SettingsFiles& operator=(const SettingsFiles&) = delete;

    const ProgramFiles& Files() const { return files_; }

    // Control state: every saved control of FORM1, OPTIONS0, OPTIONS1 (and OPTIONS2) in control order.
    // Save returns false when the file cannot be written. Load of a missing file shows "User Defaults
    // not available" and changes nothing (false); unreadable lines are skipped.
    bool SaveControlState(const std::string& path) const;
    bool LoadControlState(const std::string& path);

    // Preset files of eleven lines; load first saves "temp.preset", then re-lays out (UpdateForm).
    bool PresetSaveFile(const std::string& path) const;
    bool PresetLoadFile(const std::string& path);

    // A built-in preset ("Reset to default" loads "default.preset" when it exists).
    void ApplyBuiltInPreset(BuiltInPreset preset);

    // "defpaths.ini": play, recording, snapshot and log folders. Load returns false when absent.
    bool LoadDefaultPaths();
    bool SaveDefaultPaths() const;

    // Attaches the Presets and Settings menu commands and the buttons of the settings windows.
    // Attaching a second time does nothing.
    void AttachCommands(MenuModel& menu);

    // The undo file takes the state of the moment a settings window opens. The Basic Settings one runs
    // after the Quick Settings have been copied into that window.
    void OnBasicSettingsOpened();
    void OnAdvancedSettingsOpened();

private:
    void ApplyBuiltInValues(BuiltInPreset preset);
    bool SaveProgramFile(const std::string& path, const std::string& text) const;
    void RestoreUndo(const std::string& message);

    // The buttons of the Basic and the Advanced Settings windows.
    void OnBasicSettingsButton(const std::string& name);
    void OnAdvancedSettingsButton(const std::string& name);

    // Presets menu dialogs; `loaded` runs after a preset file has been applied.
    std::string PresetFolder() const;
    void ChoosePresetToLoad(std::function<void()> loaded);
    void ChoosePresetToSave();
    void ChooseLinkedPreset();
    void ChooseControlsToSave();
    void ChooseControlsToLoad();

    // "Set Path": the folder dialog for a folder field.
    enum class FolderTest { None, Silent, Reported };
    void ChooseFolder(WindowId window, const std::string& field, FolderTest test);

    SettingsModel& settings_;
    Interaction& interaction_;
    ProgramFiles files_;
    bool commandsAttached_ = false;
};

} // namespace ondrix
