#include "recording/RamBufferCommands.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "common/SaveFileDialog.h"
#include "recording/FileNaming.h"
#include "settings/MenuModel.h"
#include "settings/SettingNames.h"
#include "settings/SettingsModel.h"

#include <filesystem>

namespace ondrix {

namespace {

constexpr const char* kBufferEmpty = "Buffer Empty";

} // namespace

RamBufferCommands::RamBufferCommands(SettingsModel& settings, Interaction& interaction,
                                     RamBufferEnvironment environment)
    : settings_(settings), interaction_(interaction), env_(std::move(environment)) {}

void RamBufferCommands::Attach(MenuModel& menus) {
    menus.SetHandler("SaveBuffer", [this] { SaveBuffer(); });
    menus.SetHandler("QuickSaveBuffer", [this] { SaveBuffer(); });
    menus.SetHandler("BufferSave60", [this] { SaveBuffer(60.0); });
    menus.SetHandler("BufferSave120", [this] { SaveBuffer(120.0); });
    menus.SetHandler("SaveBufferAs", [this] { SaveBufferAs(); });
    menus.SetHandler("SaveBufferPartial", [this] { SaveBufferPartial(); });
    menus.SetHandler("AnalyzeBuffer", [this] { OpenBuffer(false); });
    menus.SetHandler("PlayBuffer", [this] { OpenBuffer(true); });
}

std::string RamBufferCommands::RunStarts(int blockValues, int channels, uint32_t rate) {
    ControlModel& form = settings_.Form1();
    form.SetText("BufferLabel", "");
    const int megabytes = form.IntValue(kQuickSettings.ramBufferSize);
    const RamBufferMode mode = settings_.Options0().IntValue("RamBufferModeCombo") == 2
                                   ? RamBufferMode::StopWhenFull
                                   : RamBufferMode::Circular;
    if (!buffer_.Start(megabytes, mode, blockValues, channels, rate)) {
        interaction_.ShowMessage("Not enough memory for a RAM buffer of" + NumberText(megabytes) +
                                     " Mbytes: the run goes on without it",
                                 MessageIcon::Exclamation);
    }
    if (!buffer_.On()) {
        return {};
    }
    return "  Buffer " + NumberText(RoundTo(buffer_.Seconds(), 2)) + "sec";
}

void RamBufferCommands::Append(std::span<const int16_t> block) {
    const RamBuffer::Appended appended = buffer_.AppendBlock(block);
    if (appended.percent) {
        settings_.Form1().SetText("BufferLabel", NumberText(*appended.percent) + "%");
    }
    if (appended.full && env_.stopRun) {
        env_.stopRun();
    }
}

std::string RamBufferCommands::FolderPath() const {
    return WithTrailingSlash(settings_.Options0().Text("txtBufferPath"));
}

// "buffer end at <time>", with the position last received when file names carry it.
std::string RamBufferCommands::ProposedName() const {
    const std::tm now = env_.clock ? env_.clock() : std::tm{};
    return RamBufferFileName(now, TakeReceivedPosition(settings_));
}

void RamBufferCommands::Restore() {
    if (env_.restoreSpecGram) {
        env_.restoreSpecGram();
    }
}

// An allocated buffer that has not taken a block yet is as empty as none: no header-only file is written.
bool RamBufferCommands::ReportEmpty(bool restore) {
    if (buffer_.HoldsSound()) {
        return false;
    }
    interaction_.ShowMessage(kBufferEmpty, MessageIcon::Exclamation);
    if (restore) {
        Restore();
    }
    return true;
}

void RamBufferCommands::Save(const std::string& path, std::optional<double> lastSeconds) {
    ControlModel& form = settings_.Form1();
    form.SetText("StatusLine", "Saving Buffer...");
    const RamBuffer::Saved saved =
        lastSeconds ? buffer_.SaveLastSeconds(path, *lastSeconds) : buffer_.SaveWhole(path);
    if (saved == RamBuffer::Saved::Failed) {
        form.SetText("StatusLine", "");
        interaction_.ShowMessage("Cannot write " + path + " - the buffer is kept for another try",
                                 MessageIcon::Exclamation);
        return;
    }
    if (saved == RamBuffer::Saved::Shorter) {
        interaction_.ShowMessage("Buffer shorter than requested", MessageIcon::Information);
    }
    form.SetText("StatusLine", "Saved <" + path + ">");
}

void RamBufferCommands::SaveBuffer(std::optional<double> lastSeconds) {
    if (env_.saveSpecGram) {
        env_.saveSpecGram();
    }
    if (ReportEmpty(true)) {
        return;
    }
    Restore();
    Save(FirstFreeName(FolderPath() + ProposedName(), ".wav"), lastSeconds);
}

void RamBufferCommands::SaveBufferAs() {
    if (ReportEmpty(false)) {
        return;
    }
    if (env_.saveSpecGram) {
        env_.saveSpecGram();
    }
    SaveFileDialog(interaction_, "Save Buffer As", FolderPath(), "wav", ProposedName(),
                   [this](const std::string& path) {
                       Restore();
                       if (!path.empty()) {
                           Save(path, std::nullopt);
                       }
                   });
}

void RamBufferCommands::SaveBufferPartial() {
    if (ReportEmpty(false)) {
        return;
    }
    interaction_.AskText("How many seconds ", "", [this](std::optional<std::string> answer) {
        const double seconds = answer ? TextValue(*answer) : 0.0;
        if (seconds < 1.0) {
            return;
        }
        if (env_.saveSpecGram) {
            env_.saveSpecGram();
        }
        SaveFileDialog(interaction_, "Save Buffer Partial", FolderPath(), "wav", ProposedName(),
                       [this, seconds](const std::string& path) {
                           Restore();
                           if (!path.empty()) {
                               Save(path, seconds);
                           }
                       });
    });
}

void RamBufferCommands::OpenBuffer(bool restoreFirst) {
    if (ReportEmpty(true)) {
        return;
    }
    if (restoreFirst) {
        Restore();
    }
    const std::string path = WithTrailingSlash(env_.workFolder) + "temp.wav";
    std::error_code error;
    std::filesystem::remove(path, error);
    if (buffer_.SaveWhole(path) == RamBuffer::Saved::Failed) {
        interaction_.ShowMessage("Cannot write " + path, MessageIcon::Exclamation);
        return;
    }
    if (env_.open) {
        env_.open(path);
    }
}

} // namespace ondrix
