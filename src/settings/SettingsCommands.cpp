// The Presets and Settings menu commands and the buttons of the settings windows that load and save
// settings files, restore the undo state and choose the working folders.
#include "common/Interaction.h"
#include "common/Paths.h"
#include "common/SaveFileDialog.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsText.h"

#include <array>
#include <filesystem>
#include <utility>

namespace ondrix {

namespace {

const std::string kRestored = "Restored previous settings";
const std::string kRestoredLatest =
    "Restored previous settings... only the very latest changes have been undone";
const std::string kSavedDefControls = "Saved Def Controls.";
const std::string kReadOnly = " is read only";

constexpr std::string_view kPresetExtension = ".preset";
constexpr std::string_view kControlsExtension = ".ini";

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

struct PresetCommand {
    std::string_view name;
    BuiltInPreset preset;
};

constexpr std::array<PresetCommand, 8> kPresetCommands = {{
    {"PresetDefault", BuiltInPreset::Default},
    {"PresetVLF", BuiltInPreset::VeryLowFrequencies},
    {"Mono32", BuiltInPreset::Mono32},
    {"Mono48", BuiltInPreset::Mono48},
    {"Stereo32", BuiltInPreset::Stereo32},
    {"Stereo48", BuiltInPreset::Stereo48},
    {"PresetUltraMic200", BuiltInPreset::UltraMic200},
    {"PresetUltraMIc250", BuiltInPreset::UltraMic250},
}};

} // namespace

void SettingsFiles::AttachCommands(MenuModel& menu) {
    if (commandsAttached_) {
        return;
    }
    commandsAttached_ = true;
    for (const PresetCommand& command : kPresetCommands) {
        menu.SetHandler(command.name, [this, preset = command.preset] { ApplyBuiltInPreset(preset); });
    }
    menu.SetHandler("PresetLoad", [this] { ChoosePresetToLoad({}); });
    menu.SetHandler("PresetSave", [this] { ChoosePresetToSave(); });
    menu.SetHandler("UndoLatest", [this] { RestoreUndo(kRestoredLatest); });

    settings_.Options0().DeclareActions({"LoadButton", "SaveButton", "ResetButton", "RestoreButton",
                                         "ExitButton", "SaveDefaultSettings", "LinkToWavButton",
                                         "SaveDefaultPathsButton", "SetRecPathButton", "SetPlayPathButton",
                                         "SameAsRecButton"});
    settings_.Options0().AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        if (action == ControlModel::Action::Clicked) {
            OnBasicSettingsButton(name);
        }
    });
    settings_.Options1().DeclareActions({"SaveDefControls", "ResetControls", "DeleteDefaultButton",
                                         "SaveControls", "LoadControls", "SaveDefPaths", "ResetButton",
                                         "ExitButton", "OkButton", "SetSavePathButton", "SetLogPathButton"});
    settings_.Options1().AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        if (action == ControlModel::Action::Clicked) {
            OnAdvancedSettingsButton(name);
        }
    });
}

// The undo state back, then the message (none when there was no undo state to load).
void SettingsFiles::RestoreUndo(const std::string& message) {
    if (LoadControlState(files_.Undo()) && !message.empty()) {
        interaction_.ShowMessage(message, MessageIcon::None);
    }
}

void SettingsFiles::OnBasicSettingsButton(const std::string& name) {
    if (name == "LoadButton") {
        ChoosePresetToLoad([this] {
            settings_.CopyQuickToBasic();
            settings_.UpdateInfo();
        });
    } else if (name == "SaveButton") {
        // The Basic Settings take effect before they are saved.
        settings_.CopyBasicToQuick();
        settings_.UpdateForm();
        ChoosePresetToSave();
    } else if (name == "ResetButton") {
        std::error_code error;
        std::filesystem::remove(files_.DefaultPreset(), error);
        ApplyBuiltInPreset(BuiltInPreset::Default);
        settings_.CopyQuickToBasic();
        settings_.UpdateInfo();
    } else if (name == "RestoreButton") {
        RestoreUndo(kRestored);
    } else if (name == "ExitButton") {
        RestoreUndo({});
    } else if (name == "SaveDefaultSettings") {
        settings_.CopyBasicToQuick();
        settings_.UpdateForm();
        PresetSaveFile(files_.DefaultPreset());
    } else if (name == "LinkToWavButton") {
        settings_.CopyBasicToQuick();
        settings_.UpdateForm();
        ChooseLinkedPreset();
    } else if (name == "SaveDefaultPathsButton") {
        SaveDefaultPaths();
    } else if (name == "SetRecPathButton") {
        ChooseFolder(WindowId::Options0, "FileRecPathField", FolderTest::Silent);
    } else if (name == "SetPlayPathButton") {
        ChooseFolder(WindowId::Options0, "DefPlayPathField", FolderTest::None);
    } else if (name == "SameAsRecButton") {
        ControlModel& basic = settings_.Options0();
        basic.SetText("DefPlayPathField", basic.Text("FileRecPathField"));
    }
}

void SettingsFiles::OnAdvancedSettingsButton(const std::string& name) {
    ControlModel& advanced = settings_.Options1();
    if (name == "SaveDefControls") {
        ControlModel& main = settings_.Form1();
        main.SetText("StatusLine", "");
        if (SaveControlState(files_.UserDefault())) {
            main.SetText("StatusLine", kSavedDefControls);
        }
    } else if (name == "ResetControls") {
        LoadControlState(files_.UserDefault());
    } else if (name == "DeleteDefaultButton") {
        std::error_code error;
        std::filesystem::remove(files_.UserDefault(), error);
    } else if (name == "SaveControls") {
        ChooseControlsToSave();
    } else if (name == "LoadControls") {
        ChooseControlsToLoad();
    } else if (name == "SaveDefPaths") {
        SaveDefaultPaths();
    } else if (name == "ResetButton") {
        RestoreUndo(kRestored);
    } else if (name == "ExitButton") {
        RestoreUndo({});
    } else if (name == "OkButton") {
        advanced.SetText("DefLogPath", EnsureFolder(advanced.Text("DefLogPath")));
        advanced.SetText("DefSavePath", EnsureFolder(advanced.Text("DefSavePath")));
    } else if (name == "SetSavePathButton") {
        ChooseFolder(WindowId::Options1, "DefSavePath", FolderTest::Reported);
    } else if (name == "SetLogPathButton") {
        ChooseFolder(WindowId::Options1, "DefLogPath", FolderTest::Reported);
    }
}

// --- File dialogs -----------------------------------------------------------------------------

// Presets live in the program folder when "Prog Path" is checked, else in the play folder.
std::string SettingsFiles::PresetFolder() const {
    const ControlModel& basic = settings_.Options0();
    return basic.Checked("ProgPathFlag") ? files_.folder : basic.Text("DefPlayPathField");
}

void SettingsFiles::ChoosePresetToLoad(std::function<void()> loaded) {
    const FileDialogRequest request{
        .title = "Load Basic Settings", .folder = PresetFolder(), .fileName = {}, .patterns = {"*.preset"}};
    interaction_.ChooseOpenFile(request,
                                [this, loaded = std::move(loaded)](std::optional<std::string> chosen) {
                                    if (!chosen || !FileExists(*chosen)) {
                                        return;
                                    }
                                    if (PresetLoadFile(WithExtension(*chosen, kPresetExtension)) && loaded) {
                                        loaded();
                                    }
                                });
}

void SettingsFiles::ChoosePresetToSave() {
    SaveFileDialog(interaction_, "Save Basic Settings", PresetFolder(), kPresetExtension.substr(1), {},
                   [this](const std::string& path) {
                       if (!path.empty()) {
                           PresetSaveFile(path);
                       }
                   });
}

// "Link to .wav": a preset named like the sound file with ".preset" after its whole name.
void SettingsFiles::ChooseLinkedPreset() {
    const FileDialogRequest request{.title = "Link to .wav",
                                    .folder = settings_.Options0().Text("DefPlayPathField"),
                                    .fileName = {},
                                    .patterns = {"*.wav"}};
    interaction_.ChooseOpenFile(request, [this](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty()) {
            return;
        }
        PresetSaveFile(WithExtension(*chosen, kPresetExtension));
    });
}

void SettingsFiles::ChooseControlsToSave() {
    SaveFileDialog(interaction_, "Save Controls", files_.folder, kControlsExtension.substr(1), {},
                   [this](const std::string& path) {
                       if (!path.empty()) {
                           SaveControlState(path);
                       }
                   });
}

void SettingsFiles::ChooseControlsToLoad() {
    const FileDialogRequest request{
        .title = "Load Controls", .folder = files_.folder, .fileName = {}, .patterns = {"*.ini"}};
    interaction_.ChooseOpenFile(request, [this](std::optional<std::string> chosen) {
        if (!chosen || !FileExists(*chosen) || !EndsWithNoCase(*chosen, kControlsExtension)) {
            return;
        }
        LoadControlState(*chosen);
    });
}

// "Set Path": the recording, snapshot and log folders must take files; the play folder need not.
void SettingsFiles::ChooseFolder(WindowId window, const std::string& field, FolderTest test) {
    SetPathDialog(interaction_, settings_.Window(window).Text(field),
                  [this, window, field, test](const std::string& chosen) {
                      if (test != FolderTest::None && !IsFolderWritable(chosen)) {
                          if (test == FolderTest::Reported) {
                              interaction_.ShowMessage(chosen + kReadOnly, MessageIcon::None);
                          }
                          return;
                      }
                      settings_.Window(window).SetText(field, chosen);
                  });
}

} // namespace ondrix
