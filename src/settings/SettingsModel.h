// The settings of the program: the four windows' controls, the derived analysis settings and the
// rules that keep them consistent.
#pragma once

#include "settings/AnalysisSettings.h"
#include "settings/ControlModel.h"
#include "settings/SettingNames.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// What the settings rules ask of the windows and the display. Unset hooks do nothing.
struct SettingsHooks {
    // Re-lay out the main window (which derives the analysis settings again).
    std::function<void()> updateForm;
    // A colour scale was picked on a window: build its palette and redraw the colour bar beside the list.
    std::function<void(WindowId window, int scale)> colourScalePicked;
    // "Apply": hide the Basic Settings window before its values are copied.
    std::function<void()> hideBasicSettings;
    // "Apply": restore the spectrogram image, then clear and repaint the picture.
    std::function<void()> restoreSpectrogram;
};

class SettingsModel {
public:
    static constexpr int kDefaultMaxSpectrogramHeight = 256;

    // Every control at its start-up text; the folders point at the default working folder.
    SettingsModel();
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    ControlModel& Form1() { return form1_; }
    ControlModel& Options0() { return options0_; }
    ControlModel& Options1() { return options1_; }
    ControlModel& Options2() { return options2_; }
    const ControlModel& Form1() const { return form1_; }
    const ControlModel& Options0() const { return options0_; }
    const ControlModel& Options1() const { return options1_; }
    const ControlModel& Options2() const { return options2_; }
    ControlModel& Window(WindowId window);

    AnalysisSettings& Analysis() { return analysis_; }
    const AnalysisSettings& Analysis() const { return analysis_; }

    SettingsHooks& Hooks() { return hooks_; }

    // The controls' state and the derived settings of another model, without its hooks: a private copy
    // for work on another thread.
    void CopyStateFrom(const SettingsModel& other);

    // The spectrogram height the main window was laid out for; below 1 keeps the default.
    int MaxSpectrogramHeight() const { return maxSpectrogramHeight_; }
    void SetMaxSpectrogramHeight(int height);
    // Reads the Advanced Settings "Height" list into MaxSpectrogramHeight and returns it.
    int ReadMaxSpectrogramHeight();

    // The fixed initial values of start-up, applied after the built-in default preset.
    void ApplyInitialValues();

    // Repairs missing or impossible Quick Settings, then makes sure the four working folders exist.
    void QuickSettingsCheck();
    // Repairs missing or impossible Basic Settings (run on every typed edit of those lists).
    void BasicSettingsCheck();
    // Rounds a Quick Settings FFT size of 3072, 5120/6144 or 10240/12288 down to a power of two,
    // writes it back and stores it in the analysis settings.
    void CheckFFTsize();
    // The Quick Settings check, then the analysis settings read from the controls.
    void PublicSettings();

    // Rewrites the "Analysis parameters" text, the recording duration and the split choices of
    // the Basic Settings window. The lines are also the text of its AnalysisParameters picture,
    // joined by "\n".
    std::vector<std::string> UpdateInfo();
    const std::vector<std::string>& InfoLines() const { return infoLines_; }

    // "Apply" of the Basic Settings window: hide it, copy its basic settings to the Quick Settings,
    // re-lay out, restore the picture and re-lay out once more.
    void Apply();
    // The ten basic settings (the window type with its list index) from one window to the other.
    void CopyBasicToQuick();
    void CopyQuickToBasic();

    // The coupling rules of a pick from one of the basic-setting lists of the window (FORM1 or
    // OPTIONS0); the FFT size rounding always acts on the Quick Settings.
    void ApplyCoupling(WindowId window, std::string_view picked);

    // Re-lays out the main window through the updateForm hook.
    void UpdateForm();

private:
    void OnQuickSettingsAction(const std::string& name, ControlModel::Action action);
    void OnBasicSettingsAction(const std::string& name, ControlModel::Action action);
    void OnSpin(const std::string& name);
    void OnOffsetTyped();
    void ColourScalePicked(WindowId window, int scale);
    void SetDefaultFolders();

    ControlModel form1_;
    ControlModel options0_;
    ControlModel options1_;
    ControlModel options2_;
    AnalysisSettings analysis_;
    SettingsHooks hooks_;
    int maxSpectrogramHeight_ = kDefaultMaxSpectrogramHeight;
    std::vector<std::string> infoLines_;
};

} // namespace ondrix
