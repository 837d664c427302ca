#include "files/FileOpener.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "files/FileDialog.h"
#include "files/LibrarySoundFile.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <array>
#include <filesystem>
#include <utility>

namespace ondrix {

namespace {

// A name this long or longer is shown without its folder.
constexpr std::size_t kLongName = 97;
constexpr float kStartDelaySeconds = 0.25f;

struct OpenCommand {
    const char* name;
    const char* extension;
};

constexpr std::array<OpenCommand, 8> kOpenCommands = {{{"OpenFilewav", "wav"},
                                                       {"OpenFileMxx", "m??"},
                                                       {"OpenFileDap", "dap"},
                                                       {"OpenFileKay", "kay"},
                                                       {"OpenFileRaw", "raw"},
                                                       {"OpenFileBinary", "bin"},
                                                       {"OpenFileExt", "ext"},
                                                       {"OpenFileEARS", "001"}}};

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string OpenedFileStatusText(const std::string& name, const SoundFileInfo& info, int playListCount) {
    std::string text = playListCount > 1 ? "PlayList " : "";
    text += name.size() >= kLongName ? "..\\" + FileNameOfPath(name) : name;
    text += NumberText(RoundHalfEven(static_cast<double>(info.size) / 1024.0)) + "kb";
    text += NumberText(info.sampleRate) + "s/sec";
    text += NumberText(info.channels) + "ch";
    text += NumberText(16) + "bit";
    return text;
}

std::string ChannelListText(int channels) {
    switch (channels) {
    case 1:
        return "1 - mono";
    case 2:
        return "2 - stereo";
    default:
        return BareNumberText(channels) + " - " + BareNumberText(channels) + " channels";
    }
}

FileOpener::FileOpener(SettingsModel& settings, SettingsFiles& settingsFiles, TaskController& tasks,
                       Interaction& interaction, CurrentFile& file, FormatSettingsSource formats)
    : settings_(settings), settingsFiles_(settingsFiles), tasks_(tasks), interaction_(interaction),
      file_(file), formats_(std::move(formats)) {}

void FileOpener::OpenFile(const std::string& name) {
    if (!name.empty()) {
        playList_.Clear();
    }
    Open(name);
}

void FileOpener::Open(const std::string& name) {
    if (name.empty()) {
        return;
    }
    if (tasks_.Running()) {
        // This runs inside the loop's event processing: raise the stop and open once the run is over.
        ControlModel& form = settings_.Form1();
        form.SetCaption("StartStop", "Start");
        form.SetChecked("PauseButton", false);
        tasks_.RequestStopThen([this, name] { OpenNow(name); });
        return;
    }
    OpenNow(name);
}

void FileOpener::Forget() {
    file_ = CurrentFile{};
    tasks_.SetCurrentFileName("");
}

void FileOpener::OpenNow(const std::string& name) {
    const bool wasOpen = file_.IsOpen();
    Forget();
    const SoundFileInfo info = DetectFileType(name, formats_ ? formats_() : FileFormatSettings{});
    if (info.repaired && log_) {
        log_("Repaired header " + name);
    }
    const bool channelsFit = AnalysableChannels(info.channels);
    if (info.type == kFileUnsupported || !channelsFit) {
        if (wasOpen) {
            // The label must not describe a file that is no longer open.
            settings_.Form1().SetText("Label4", "");
        }
        Refuse(info);
        return;
    }
    ControlModel& basic = settings_.Options0();
    ControlModel& quick = settings_.Form1();
    file_.name = name;
    file_.info = info;
    tasks_.SetCurrentFileName(name);
    durationText_ = "00:00:00";
    basic.SetText(kChannelCount, ChannelListText(info.channels));

    const std::string preset = name + ".preset";
    if (basic.Checked("PresetAutoloadFlag") && FileExists(preset)) {
        quick.SetText("StatusLine", "Loaded Settings for " + name);
        settingsFiles_.PresetLoadFile(preset);
    }

    const std::string rate = BareNumberText(info.sampleRate);
    quick.SetText(kQuickSettings.sampleRate, rate);
    basic.SetText(kBasicSettings.sampleRate, rate);
    settings_.UpdateForm();
    quick.SetText("Label4", OpenedFileStatusText(name, info, playList_.Count()));
    AfterOpening();
}

void FileOpener::Refuse(const SoundFileInfo& info) {
    if (info.type != kFileUnsupported) {
        interaction_.ShowMessage("Number of channels not supported", MessageIcon::None);
        return;
    }
    if (info.message.empty()) {
        interaction_.ShowMessage("File format not supported", MessageIcon::None);
        return;
    }
    // The reason first, the verdict once it has been read.
    interaction_.ShowMessage(info.message, MessageIcon::None, [this] {
        interaction_.ShowMessage("File format not supported", MessageIcon::None);
    });
}

// Task 4 waits for Start; otherwise the file is played and then analysed as the options ask.
void FileOpener::AfterOpening() {
    if (tasks_.SessionMode() == 4) {
        return;
    }
    tasks_.SetSessionMode(3);
    tasks_.SetTaskMode(3);
    const ControlModel& basic = settings_.Options0();
    if (basic.Checked("ImmediatePlayCheck")) {
        tasks_.StartAfterWait(kStartDelaySeconds);
    }
    if (basic.Checked("CheckAnalysisOnOpen")) {
        tasks_.SetSessionMode(4);
        tasks_.SetTaskMode(4);
        tasks_.StartAfterWait(kStartDelaySeconds);
    }
}

void FileOpener::CloseFile() {
    Forget();
    settings_.Form1().SetText("Label4", "");
    playList_.Clear();
    settings_.UpdateForm();
    tasks_.SetTaskMode(tasks_.SessionMode());
}

void FileOpener::OpenFileDialog(const std::string& extension, std::function<void(const std::string&)> then) {
    ondrix::OpenFileDialog(settings_, tasks_, interaction_, extension, std::move(then));
}

void FileOpener::ChoosePlayList() {
    if (!tasks_.SessionStopped() || tasks_.Running()) {
        return;
    }
    const FileDialogRequest request{.title = "Play List",
                                    .folder = settings_.Options0().Text("DefPlayPathField"),
                                    .fileName = {},
                                    .patterns = {"*"}};
    interaction_.ChooseOpenFiles(request, [this](std::vector<std::string> chosen) {
        if (chosen.empty()) {
            return;
        }
        PlayList list;
        list.Set(chosen);
        if (printOnPicture_) {
            printOnPicture_(list.Lines());
        }
        if (chosen.size() < 2) {
            interaction_.ShowMessage("Use Open .wav to play a file", MessageIcon::None);
            return;
        }
        const std::string folder = FolderOfPath(chosen.front());
        if (!folder.empty()) {
            settings_.Options0().SetText("DefPlayPathField", WithTrailingSlash(folder));
        }
        playList_ = std::move(list);
        interaction_.ShowMessage("PlayList" + NumberText(playList_.Count()), MessageIcon::None,
                                 [this] { Open(playList_.Current()); });
    });
}

void FileOpener::AttachFileCommands(MenuModel& menu) {
    const auto open = [this](const std::string& name) { OpenFile(name); };
    for (const OpenCommand& command : kOpenCommands) {
        const std::string extension = command.extension;
        menu.SetHandler(command.name, [this, extension, open] { OpenFileDialog(extension, open); });
    }
    menu.SetHandler("OpenFileOther", [this, open] {
        // The formats libsndfile reads, and WAV files of other sample encodings.
        std::vector<std::string> extensions = LibraryExtensions();
        extensions.emplace_back("wav");
        ondrix::OpenFileDialog(settings_, tasks_, interaction_, extensions, open);
    });
    menu.SetHandler("CloseFile", [this] { CloseFile(); });
    menu.SetHandler("SetPlayList", [this] { ChoosePlayList(); });
    TaskHooks& hooks = tasks_.Hooks();
    hooks.openWav = [this, open] { OpenFileDialog("wav", open); };
    hooks.closeAllFiles = [this] { CloseFile(); };
}

} // namespace ondrix
