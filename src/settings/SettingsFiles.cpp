// Control-state files, preset files, the built-in presets and the default-paths file.
#include "settings/SettingsFiles.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/PrintLine.h"
#include "common/Rounding.h"
#include "common/TextLines.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsText.h"

#include <array>
#include <filesystem>
#include <optional>
#include <sstream>

namespace ondrix {

namespace {

const std::string kUserDefaultsNotAvailable = "User Defaults not available";

// The windows of the control-state files, in file order.
constexpr std::array<WindowId, 4> kSavedWindows = {WindowId::Form1, WindowId::Options0, WindowId::Options1,
                                                   WindowId::Options2};

std::optional<WindowId> WindowOfPrefix(std::string_view prefix) {
    for (WindowId window : kSavedWindows) {
        if (WindowPrefix(window) == prefix) {
            return window;
        }
    }
    return std::nullopt;
}

const ControlModel& WindowOf(const SettingsModel& settings, WindowId window) {
    switch (window) {
    case WindowId::Form1:
        return settings.Form1();
    case WindowId::Options0:
        return settings.Options0();
    case WindowId::Options1:
        return settings.Options1();
    case WindowId::Options2:
        break;
    }
    return settings.Options2();
}

bool IsNumericKind(ControlKind kind) {
    return kind == ControlKind::Check || kind == ControlKind::Option || kind == ControlKind::Scroll ||
           kind == ControlKind::Spin;
}

// "OPTIONS1.TapeSpeedCombo" + blanks to the next print zone + "= 0.5"; numbers carry their sign
// place: "= 1", "=-1".
std::string ControlLine(std::string_view prefix, const Control& control) {
    PrintLine line;
    line.Item(prefix).Item(".").Item(control.name).NextZone();
    // A number keeps its sign place after "= ": "=  1", "= -1".
    line.Item("= ").Item(IsNumericKind(control.kind) ? NumberText(TextValue(control.text))
                                                     : OneLine(control.text));
    return line.Text();
}

// The re-layouts that the typed edits of a load ask for, run once when the load is complete instead
// of after every single value.
class DeferredUpdateForm {
public:
    explicit DeferredUpdateForm(SettingsModel& settings)
        : settings_(settings), saved_(std::move(settings.Hooks().updateForm)) {
        settings_.Hooks().updateForm = [this] { requested_ = true; };
    }
    ~DeferredUpdateForm() { Restore(); }
    DeferredUpdateForm(const DeferredUpdateForm&) = delete;
    DeferredUpdateForm& operator=(const DeferredUpdateForm&) = delete;

    // Puts the hook back and re-lays out when asked to (or when an edit asked for it).
    void Finish(bool updateForm) {
        Restore();
        if (updateForm || requested_) {
            settings_.UpdateForm();
        }
    }

private:
    void Restore() {
        if (!restored_) {
            settings_.Hooks().updateForm = std::move(saved_);
            restored_ = true;
        }
    }

    SettingsModel& settings_;
    std::function<void()> saved_;
    bool requested_ = false;
    bool restored_ = false;
};

// One value of a control-state file into its control: texts and lists as a typed edit, the other
// kinds as the number of the text.
void ApplyControlValue(ControlModel& window, const Control& control, const std::string& value) {
    switch (control.kind) {
    case ControlKind::Check:
    case ControlKind::Scroll:
    case ControlKind::Spin:
        window.SetNumber(control.name, RoundToInt32(TextValue(value)));
        break;
    case ControlKind::Option:
        window.SetChecked(control.name, RoundToInt32(TextValue(value)) != 0);
        break;
    default:
        window.Type(control.name, value);
        break;
    }
}

// Lines 1 to 9 of a preset file: Quick Settings texts (line 10 is the zoom check, 11 the channel list).
constexpr std::array<std::string_view, 9> kPresetQuickSettings = {
    kQuickSettings.blockSize,   kQuickSettings.sampleRate,  kQuickSettings.fftSize,
    kQuickSettings.windowSize,  kQuickSettings.windowType,  kQuickSettings.scanStep,
    kQuickSettings.colourScale, kQuickSettings.audioDevice, kQuickSettings.ramBufferSize};

// The texts a built-in preset writes; none leaves a setting as it is.
struct PresetValues {
    std::optional<std::string_view> blockSize = std::nullopt;
    std::optional<std::string_view> sampleRate = std::nullopt;
    std::optional<std::string_view> fftSize = std::nullopt;
    std::optional<std::string_view> windowSize = std::nullopt;
    std::optional<std::string_view> windowType = std::nullopt;
    std::optional<std::string_view> scanStep = std::nullopt;
    std::optional<std::string_view> colourScale = std::nullopt;
    std::optional<bool> zoom = std::nullopt;
    std::optional<std::string_view> channelCount = std::nullopt;
    std::optional<std::string_view> ramBufferSize = std::nullopt;
};

PresetValues BuiltInValues(BuiltInPreset preset) {
    switch (preset) {
    case BuiltInPreset::Default:
        return {"8192", "48000", "512", "512", "Hanning", "512", "0", false, "1 - mono (left)", "off"};
    case BuiltInPreset::VeryLowFrequencies:
        return {"8192",    "8000", "8192", "2048", std::nullopt, "128", "10", true, "1 - mono (left)",
                "8 Mbytes"};
    case BuiltInPreset::Mono32:
        return {.sampleRate = "32000", .channelCount = "1 - mono"};
    case BuiltInPreset::Mono48:
        return {.sampleRate = "48000", .channelCount = "1 - mono"};
    case BuiltInPreset::Stereo32:
        return {.sampleRate = "32000", .channelCount = "2 - stereo"};
    case BuiltInPreset::Stereo48:
        return {.sampleRate = "48000", .channelCount = "2 - stereo"};
    case BuiltInPreset::UltraMic200:
        return {.blockSize = "65536", .sampleRate = "200000", .channelCount = "1 - mono"};
    case BuiltInPreset::UltraMic250:
        return {.blockSize = "65536", .sampleRate = "250000", .channelCount = "1 - mono"};
    }
    return {};
}

// The window type list entry that "Reset to default" selects ("Hanning").
constexpr int kDefaultWindowTypeIndex = 1;

} // namespace

SettingsFiles::SettingsFiles(SettingsModel& settings, Interaction& interaction, ProgramFiles files)
    : settings_(settings), interaction_(interaction), files_(std::move(files)) {}

// --- Control state ----------------------------------------------------------------------------

bool SettingsFiles::SaveControlState(const std::string& path) const {
    std::ostringstream out;
    for (WindowId id : kSavedWindows) {
        const ControlModel& window = WindowOf(settings_, id);
        for (const Control& control : window.Controls()) {
            if (control.IsSaved()) {
                WriteLine(out, ControlLine(window.Prefix(), control));
            }
        }
    }
    return SaveProgramFile(path, out.str());
}

bool SettingsFiles::LoadControlState(const std::string& path) {
    std::optional<std::string> text = ReadSettingsText(path);
    if (!text) {
        interaction_.ShowMessage(kUserDefaultsNotAvailable, MessageIcon::None);
        return false;
    }
    std::istringstream in(std::move(*text));
    DeferredUpdateForm layout(settings_);
    bool mainWindowChanged = false;
    std::string line;
    for (int count = 0; count < kSettingsFileMaxLines && ReadLine(in, line); ++count) {
        if (line.size() > kSettingsLineMaxLength) {
            continue;
        }
        const auto dot = line.find('.');
        if (dot == std::string::npos) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos || equals < dot) {
            continue;
        }
        const std::optional<WindowId> id = WindowOfPrefix(std::string_view(line).substr(0, dot));
        if (!id) {
            continue;
        }
        ControlModel& window = settings_.Window(*id);
        const std::string name = TrimTrailingBlanks(std::string_view(line).substr(dot + 1, equals - dot - 1));
        if (!window.Has(name)) {
            continue;
        }
        const Control& control = window.At(name);
        if (!control.IsSaved()) {
            continue;
        }
        ApplyControlValue(window, control, TrimLeadingBlanks(std::string_view(line).substr(equals + 1)));
        mainWindowChanged = mainWindowChanged || *id == WindowId::Form1;
    }
    layout.Finish(mainWindowChanged);
    return true;
}

// --- Preset files -----------------------------------------------------------------------------

bool SettingsFiles::PresetSaveFile(const std::string& path) const {
    const ControlModel& quick = settings_.Form1();
    std::ostringstream out;
    for (std::string_view name : kPresetQuickSettings) {
        WriteLine(out, OneLine(quick.Text(name)));
    }
    WriteLine(out, NumberText(quick.IntValue("ZoomFlag")));
    WriteLine(out, OneLine(settings_.Options0().Text(kChannelCount)));
    return SaveProgramFile(path, out.str());
}

bool SettingsFiles::PresetLoadFile(const std::string& path) {
    // Read first: the file may be "temp.preset" itself, which the next step replaces.
    std::optional<std::string> text = ReadSettingsText(path);
    if (!text) {
        return false;
    }
    PresetSaveFile(files_.TempPreset());

    std::istringstream in(std::move(*text));
    DeferredUpdateForm layout(settings_);
    ControlModel& quick = settings_.Form1();
    const auto applies = [](const std::string& value) {
        return value != "*" && value.size() <= kSettingsLineMaxLength;
    };
    std::string line;
    bool complete = true;
    for (std::string_view name : kPresetQuickSettings) {
        if (!ReadLine(in, line)) {
            complete = false;
            break;
        }
        if (applies(line)) {
            quick.Type(name, line);
        }
    }
    if (complete && ReadItem(in, line) && applies(line)) {
        quick.SetNumber("ZoomFlag", RoundToInt32(TextValue(line)));
    }
    if (complete && ReadLine(in, line) && applies(line)) {
        settings_.Options0().Type(kChannelCount, line);
    }
    layout.Finish(true);
    return true;
}

// --- Built-in presets -------------------------------------------------------------------------

void SettingsFiles::ApplyBuiltInPreset(BuiltInPreset preset) {
    if (preset == BuiltInPreset::Default && PresetLoadFile(files_.DefaultPreset())) {
        return;
    }
    ApplyBuiltInValues(preset);
}

void SettingsFiles::ApplyBuiltInValues(BuiltInPreset preset) {
    const PresetValues values = BuiltInValues(preset);
    ControlModel& quick = settings_.Form1();
    const BasicSettingNames& n = kQuickSettings;
    DeferredUpdateForm layout(settings_);
    const auto type = [&quick](std::string_view name, const std::optional<std::string_view>& text) {
        if (text) {
            quick.Type(name, *text);
        }
    };
    type(n.blockSize, values.blockSize);
    type(n.sampleRate, values.sampleRate);
    type(n.fftSize, values.fftSize);
    type(n.windowSize, values.windowSize);
    if (values.windowType) {
        quick.Type(n.windowType, *values.windowType);
        quick.SetListIndex(n.windowType, kDefaultWindowTypeIndex);
    }
    type(n.scanStep, values.scanStep);
    type(n.colourScale, values.colourScale);
    if (values.zoom) {
        quick.SetChecked("ZoomFlag", *values.zoom);
    }
    if (values.channelCount) {
        settings_.Options0().Type(kChannelCount, *values.channelCount);
    }
    type(n.ramBufferSize, values.ramBufferSize);
    layout.Finish(true);
}

// --- Default paths ----------------------------------------------------------------------------

namespace {

struct FolderField {
    WindowId window;
    std::string_view name;
};

// The four folders of "defpaths.ini", in file order: play, recording, snapshot, log.
constexpr std::array<FolderField, 4> kDefaultPathFields = {{{WindowId::Options0, "DefPlayPathField"},
                                                            {WindowId::Options0, "FileRecPathField"},
                                                            {WindowId::Options1, "DefSavePath"},
                                                            {WindowId::Options1, "DefLogPath"}}};

} // namespace

bool SettingsFiles::LoadDefaultPaths() {
    std::optional<std::string> text = ReadSettingsText(files_.DefaultPaths());
    if (!text) {
        return false;
    }
    std::istringstream in(std::move(*text));
    std::string folder;
    for (const FolderField& field : kDefaultPathFields) {
        if (!ReadItem(in, folder)) {
            break;
        }
        // A blank item keeps the folder: an empty one would send files into the working folder.
        if (!folder.empty() && folder.size() <= kSettingsLineMaxLength) {
            settings_.Window(field.window).SetText(field.name, folder);
        }
    }
    return true;
}

bool SettingsFiles::SaveDefaultPaths() const {
    std::ostringstream out;
    for (const FolderField& field : kDefaultPathFields) {
        const ControlModel& window = WindowOf(settings_, field.window);
        WriteLine(out, OneLine(window.Text(field.name)));
    }
    return SaveProgramFile(files_.DefaultPaths(), out.str());
}

// --- Undo -------------------------------------------------------------------------------------

void SettingsFiles::OnBasicSettingsOpened() {
    SaveControlState(files_.Undo());
}

void SettingsFiles::OnAdvancedSettingsOpened() {
    SaveControlState(files_.Undo());
}

// Files of the program folder need the folder; other files go where the user chose.
bool SettingsFiles::SaveProgramFile(const std::string& path, const std::string& text) const {
    if (!files_.folder.empty() && path.starts_with(files_.folder)) {
        std::error_code error;
        std::filesystem::create_directories(files_.folder, error);
    }
    return WriteSettingsText(path, text);
}

} // namespace ondrix
