#include "settings/SettingsModel.h"

#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "settings/ControlInventory.h"

#include <cmath>

namespace ondrix {

namespace {

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view candidate : names) {
        if (name == candidate) {
            return true;
        }
    }
    return false;
}

// The Quick Settings lists whose change re-lays out the main window.
bool IsQuickLayoutList(std::string_view name) {
    const BasicSettingNames& q = kQuickSettings;
    return IsOneOf(name, {q.blockSize, q.sampleRate, q.fftSize, q.windowSize, q.windowType, q.scanStep,
                          q.displayHeight, q.colourScale});
}

// The Basic Settings lists whose typed edits run the Basic Settings check.
bool IsBasicSettingsList(std::string_view name) {
    const BasicSettingNames& b = kBasicSettings;
    return IsOneOf(name, {b.blockSize, b.sampleRate, b.fftSize, b.windowSize, b.windowType, b.scanStep,
                          b.displayHeight, b.colourScale, b.ramBufferSize, b.audioDevice, kChannelCount});
}

void CopySettings(const ControlModel& from, const BasicSettingNames& source, ControlModel& to,
                  const BasicSettingNames& target) {
    to.SetText(target.blockSize, from.Text(source.blockSize));
    to.SetText(target.sampleRate, from.Text(source.sampleRate));
    to.SetText(target.fftSize, from.Text(source.fftSize));
    to.SetText(target.windowSize, from.Text(source.windowSize));
    to.SetListIndex(target.windowType, from.ListIndex(source.windowType));
    to.SetText(target.windowType, from.Text(source.windowType));
    to.SetText(target.scanStep, from.Text(source.scanStep));
    to.SetText(target.displayHeight, from.Text(source.displayHeight));
    to.SetText(target.colourScale, from.Text(source.colourScale));
    to.SetText(target.audioDevice, from.Text(source.audioDevice));
    to.SetText(target.ramBufferSize, from.Text(source.ramBufferSize));
}

} // namespace

SettingsModel::SettingsModel()
    : form1_(WindowId::Form1, Form1Controls()), options0_(WindowId::Options0, Options0Controls()),
      options1_(WindowId::Options1, Options1Controls()), options2_(WindowId::Options2, Options2Controls()) {
    SetDefaultFolders();
    form1_.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        OnQuickSettingsAction(name, action);
    });
    options0_.DeclareAction("ApplyButton");
    options0_.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        OnBasicSettingsAction(name, action);
    });
}

ControlModel& SettingsModel::Window(WindowId window) {
    switch (window) {
    case WindowId::Form1:
        return form1_;
    case WindowId::Options0:
        return options0_;
    case WindowId::Options1:
        return options1_;
    case WindowId::Options2:
        break;
    }
    return options2_;
}

void SettingsModel::CopyStateFrom(const SettingsModel& other) {
    form1_.CopyStateFrom(other.form1_);
    options0_.CopyStateFrom(other.options0_);
    options1_.CopyStateFrom(other.options1_);
    options2_.CopyStateFrom(other.options2_);
    analysis_ = other.analysis_;
    maxSpectrogramHeight_ = other.maxSpectrogramHeight_;
    infoLines_ = other.infoLines_;
}

void SettingsModel::SetMaxSpectrogramHeight(int height) {
    maxSpectrogramHeight_ = height < 1 ? kDefaultMaxSpectrogramHeight : height;
}

int SettingsModel::ReadMaxSpectrogramHeight() {
    SetMaxSpectrogramHeight(options1_.IntValue("MaxSpectrogramHeight"));
    return maxSpectrogramHeight_;
}

// The working folders start in the default working folder until saved paths replace them.
void SettingsModel::SetDefaultFolders() {
    const std::string folder = DefaultWorkFolder();
    for (std::string_view name : {"FileRecPathField", "txtBufferPath", "DefPlayPathField"}) {
        options0_.SetText(name, folder);
    }
    for (std::string_view name : {"DefSavePath", "DefLogPath"}) {
        options1_.SetText(name, folder);
    }
}

void SettingsModel::ApplyInitialValues() {
    ControlModel& f = form1_;
    f.SetListIndex(kQuickSettings.windowType, 1);
    f.SetNumber(kQuickSettings.displayHeight, maxSpectrogramHeight_);
    f.SetChecked("Check1", false);
    f.SetChecked("Check2", false);
    f.SetText("Text1", "0");
    f.SetText("Text2", "1");
    f.SetText("Text5", "0");
    f.SetChecked("ZoomFlag", false);
    f.SetEnabled("ZoomFlag", false);
    f.SetEnabled("UpDown5", false);
    for (std::string_view label : {"LabelCursors", "CounterLabel", "BufferLabel", "StatusLine"}) {
        f.SetText(label, "");
    }
    f.SetText("L24", "0");
    f.SetText("L25", "0");
    f.SetEnabled("Text4", false);
    f.SetVisible("Frame4", false);
    f.SetVisible("Frame4CH", false);
    f.SetText("UpDown3", "1");
    f.SetText("UpDown4", "2");
    f.SetText("SetCH1", "1");
    f.SetText("SetCH2", "2");

    options0_.SetText("FileMaxSizeCombo", "680 MB (CD size)");
    options0_.SetText("FileModeCombo", "2 - single file recording");
    options0_.SetText("RamBufferModeCombo", "1");
    options0_.SetText(kChannelCount, "1 - mono (left)");

    options1_.SetChecked("RTCursorFlag", true);
    options1_.SetText("FrequencyDivisionCombo", "1");
    options1_.SetText("TapeSpeedCombo", "1");
    options1_.SetText("Combo9", "2");
    options1_.SetText("AmplitudeScale", "0 - dB");

    options2_.SetText("Combo2", "2");
}

void SettingsModel::UpdateForm() {
    if (hooks_.updateForm) {
        hooks_.updateForm();
    }
}

void SettingsModel::ColourScalePicked(WindowId window, int scale) {
    if (hooks_.colourScalePicked) {
        hooks_.colourScalePicked(window, scale);
    }
}

void SettingsModel::OnQuickSettingsAction(const std::string& name, ControlModel::Action action) {
    using Action = ControlModel::Action;
    const bool edited = action == Action::Typed || action == Action::Picked;
    if (IsQuickLayoutList(name)) {
        // Typing only re-lays out; a pick applies the coupling rules first.
        if (action == Action::Picked) {
            ApplyCoupling(WindowId::Form1, name);
        }
        if (edited) {
            UpdateForm();
        }
    } else if (name == kQuickSettings.ramBufferSize && edited) {
        UpdateForm();
    } else if (action == Action::Spun) {
        OnSpin(name);
    } else if (name == "Text5" && action == Action::Typed) {
        OnOffsetTyped();
    } else if (name == "Text2" && action == Action::Typed) {
        analysis_.digitalGain = form1_.IntValue("Text2");
    } else if (name == "ZoomFlag" && action == Action::Clicked) {
        UpdateForm();
    }
}

void SettingsModel::OnBasicSettingsAction(const std::string& name, ControlModel::Action action) {
    using Action = ControlModel::Action;
    if (IsBasicSettingsList(name)) {
        if (action == Action::Typed) {
            BasicSettingsCheck();
            UpdateInfo();
        } else if (action == Action::Picked) {
            ApplyCoupling(WindowId::Options0, name);
            UpdateInfo();
        }
    } else if (IsOneOf(name, {"FileMaxSizeCombo", "FileModeCombo"}) &&
               (action == Action::Typed || action == Action::Picked)) {
        UpdateInfo();
    } else if (name == "ApplyButton" && action == Action::Clicked) {
        Apply();
    }
}

void SettingsModel::OnSpin(const std::string& name) {
    ControlModel& f = form1_;
    if (name == "UpDown1") {
        f.SetText("Text1", f.Text("UpDown1"));
    } else if (name == "UpDown2") {
        // The gain is a power of two.
        const double gain = std::ldexp(1.0, f.IntValue("UpDown2"));
        f.SetNumber("Text2", gain);
        analysis_.digitalGain = RoundToInt32(gain);
    } else if (name == "UpDown3") {
        f.SetText("SetCH1", f.Text("UpDown3"));
    } else if (name == "UpDown4") {
        f.SetText("SetCH2", f.Text("UpDown4"));
    } else if (name == "UpDown5") {
        UpdateForm();
    }
}

void SettingsModel::OnOffsetTyped() {
    if (std::fabs(form1_.Value("Text5")) > 32767.0) {
        form1_.SetText("Text5", "0");
    }
}

void SettingsModel::CopyBasicToQuick() {
    CopySettings(options0_, kBasicSettings, form1_, kQuickSettings);
}

void SettingsModel::CopyQuickToBasic() {
    CopySettings(form1_, kQuickSettings, options0_, kBasicSettings);
}

void SettingsModel::Apply() {
    if (hooks_.hideBasicSettings) {
        hooks_.hideBasicSettings();
    }
    CopyBasicToQuick();
    UpdateForm();
    if (hooks_.restoreSpectrogram) {
        hooks_.restoreSpectrogram();
    }
    UpdateForm();
}

} // namespace ondrix
