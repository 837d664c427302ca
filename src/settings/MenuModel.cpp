#include "settings/MenuModel.h"

#include <stdexcept>

namespace ondrix {

namespace {

struct Entry {
    const char* name;
    const char* caption;
    bool visible = true;
};

struct Menu {
    const char* title;
    std::vector<Entry> entries;
};

// The menu bar, in order. Hidden entries are reached by shortcut or remote command only.
const std::vector<Menu>& MenuBar() {
    static const std::vector<Menu> bar = {
        {"File",
         {{"OpenFilewav", "Open .wav"},
          {"OpenFileMxx", "Open .mxx"},
          {"OpenFileDap", "Open .dap"},
          {"OpenFileKay", "Open .kay"},
          {"OpenFileRaw", "Open .raw (16 bit)"},
          {"OpenFileBinary", "Open .bin (16 bit)"},
          {"OpenFileExt", "Open .ext (32 bit)"},
          {"OpenFileEARS", "Open EARS"},
          {"OpenFileOther", "Open other formats"},
          {"SetPlayList", "Play List"},
          {"CloseFile", "Close all"},
          {"Snapshot", "Snapshot"},
          {"SaveSpectrogram", "Save Spectrogram"},
          {"SaveForm", "Save Window"},
          {"SaveScreen", "Save Screen"},
          {"ClipForm", "Copy Window"},
          {"ClearClipboard", "Clear Clipboard"},
          {"PrintForm", "Print Window"},
          {"PrintScreen", "Print Screen"},
          {"CDCommands", "CD Player"},
          {"ExitProgram", "Exit"}}},
        {"Task",
         {{"RealTimeAnalysis", "Real-Time Analysis"},
          {"RealTimeRecording", "Real-Time Analysis + Recording"},
          {"FileAnalysisPlay", "File Analysis + Play"},
          {"FileAnalysis", "File Analysis"}}},
        {"Settings",
         {{"BasicSettings", "Basic Settings"},
          {"AdvancedSettings", "Advanced Settings"},
          {"SpecialSettings", "Special Settings"},
          {"UndoLatest", "Undo Latest Changes"}}},
        {"Presets",
         {{"PresetDefault", "Reset to default"},
          {"PresetVLF", "Very Low Frequencies"},
          {"Mono32", "Mono 0-16kHz"},
          {"Mono48", "Mono 0-24kHz"},
          {"Stereo32", "Stereo 0-16kHz"},
          {"Stereo48", "Stereo 0-24kHz"},
          {"PresetUltraMic200", "UltraMic200"},
          {"PresetUltraMIc250", "UltraMic250"},
          {"PresetLoad", "Load Basic Settings"},
          {"PresetSave", "Save Basic Settings"}}},
        {"Buffer",
         {{"SaveBuffer", "Save Buffer"},
          {"SaveBufferAs", "Save Buffer As"},
          {"SaveBufferPartial", "Save Buffer Partial"},
          {"QuickSaveBuffer", "Quick Save Buffer", false},
          {"BufferSave60", "Save Last 60 s", false},
          {"BufferSave120", "Save Last 120 s", false}}},
        {"Utilities",
         {{"RefreshAudioDevices", "Refresh Audio Devices"},
          {"CheckAudioDevices", "Check Audio Devices"},
          {"CheckSamplingRates", "Check Sampling Rates"},
          {"MatchUA5", "Match UA5"},
          {"ListDisks", "Check Disks"},
          {"CheckWavHeader", "Check wav header"},
          {"mnuFixWavHeader", "Fix wav header"},
          {"Split2chwav", "Split Stereo File"},
          {"ExtractCut", "Extract Cut"},
          {"ConvertExt2Wav", "Convert .ext to .wav"},
          {"GenerateNyquistFile", "Generate Nyquist File"},
          {"ConvertDap2Wav", "Convert .dap to .wav"},
          {"ConvertMxx2Wav", "Convert .mxx .sxx to .wav"},
          {"ConvertKay2Wav", "Convert .kay to .wav"},
          {"ConvertEars2Wav", "Convert EARS to .wav"},
          {"SetTcpIp", "TcpIP Receiver"},
          {"SoundMixer", "Sound Mixer"}}},
        {"Debug",
         {{"EnableQuick", "Enable Quick Settings RT"},
          {"PlayBuffer", "Play Buffer"},
          {"AnalyzeBuffer", "Analyze Buffer"},
          {"Split4ch", "Split 4 channels raw to .wav"}}},
        {"Help", {{"Manual", "Manual"}}},
    };
    return bar;
}

} // namespace

MenuModel::MenuModel() {
    for (const Menu& menu : MenuBar()) {
        menus_.push_back(menu.title);
        for (const Entry& entry : menu.entries) {
            byName_.emplace(entry.name, commands_.size());
            commands_.push_back(
                {.menu = menu.title, .name = entry.name, .caption = entry.caption, .visible = entry.visible});
        }
    }
}

bool MenuModel::Has(std::string_view name) const {
    return byName_.find(name) != byName_.end();
}

const MenuCommand& MenuModel::At(std::string_view name) const {
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        throw std::out_of_range("no menu command " + std::string(name));
    }
    return commands_[found->second];
}

MenuCommand& MenuModel::Find(std::string_view name) {
    return const_cast<MenuCommand&>(At(name));
}

void MenuModel::SetChecked(std::string_view name, bool checked) {
    MenuCommand& command = Find(name);
    command.checked = checked;
    Notify(command);
}

void MenuModel::SetEnabled(std::string_view name, bool enabled) {
    MenuCommand& command = Find(name);
    command.enabled = enabled && handlers_.count(name) > 0;
    Notify(command);
}

void MenuModel::SetVisible(std::string_view name, bool visible) {
    MenuCommand& command = Find(name);
    command.visible = visible;
    Notify(command);
}

void MenuModel::SetHandler(std::string_view name, std::function<void()> handler) {
    MenuCommand& command = Find(name);
    handlers_[command.name] = std::move(handler);
    command.enabled = true;
    Notify(command);
}

bool MenuModel::Trigger(std::string_view name) {
    const MenuCommand& command = At(name);
    const auto handler = handlers_.find(name);
    if (!command.enabled || handler == handlers_.end()) {
        return false;
    }
    // A copy: the handler may replace itself.
    const std::function<void()> action = handler->second;
    action();
    return true;
}

void MenuModel::Notify(const MenuCommand& command) {
    for (const Listener& listener : listeners_) {
        listener(command.name);
    }
}

} // namespace ondrix
