#include "files/FileUtilityCommands.h"

#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "files/FileDialog.h"
#include "files/FilePage.h"
#include "files/FileUtilities.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace ondrix {

namespace {

// A typed whole number (the whole part of what was typed); nothing for a cancel or any other text.
std::optional<int64_t> WholeNumber(const std::optional<std::string>& answer) {
    if (!answer) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(answer->c_str(), &end);
    if (end == answer->c_str() || !std::isfinite(value) || std::fabs(value) > 1e9) {
        return std::nullopt;
    }
    return static_cast<int64_t>(std::floor(value));
}

// Runs `write` when no file of the name exists, or once the user agrees to replace it.
void AfterReplacing(Interaction& interaction, const std::string& path, const std::function<void()>& write) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        write();
        return;
    }
    interaction.AskYesNo("Replace " + path + " ?", MessageIcon::Question, [write](bool yes) {
        if (yes) {
            write();
        }
    });
}

// Shows the status, runs the utility, then " - DONE" or the error.
void Run(SettingsModel& settings, Interaction& interaction, const std::string& status,
         const std::function<UtilityResult()>& utility) {
    ControlModel& form = settings.Form1();
    form.SetText("StatusLine", status);
    const UtilityResult result = utility();
    if (!result.Ok()) {
        form.SetText("StatusLine", status);
        interaction.ShowMessage(result.error, MessageIcon::Exclamation);
        return;
    }
    form.SetText("StatusLine", status + " - DONE");
}

} // namespace

void AttachFileUtilities(MenuModel& menus, SettingsModel& settings, const TaskController& tasks,
                         Interaction& interaction) {
    const auto formats = [&settings] { return FileFormatSettingsFrom(settings.Options1()); };
    menus.SetHandler("Split2chwav", [&, formats] {
        OpenFileDialog(settings, tasks, interaction, "wav", [&, formats](const std::string& input) {
            Run(settings, interaction, "Splitting file " + input,
                [&] { return SplitStereo(input, formats()); });
        });
    });
    menus.SetHandler("Split4ch", [&] {
        OpenFileDialog(settings, tasks, interaction, "bin", [&](const std::string& input) {
            interaction.AskText("Sampling rate for " + FileNameOfPath(input), "48000",
                                [&, input](std::optional<std::string> answer) {
                                    const std::optional<int64_t> rate = WholeNumber(answer);
                                    if (!rate || *rate < 1) {
                                        return;
                                    }
                                    Run(settings, interaction, "Splitting file " + input,
                                        [&] { return SplitFourChannels(input, static_cast<int>(*rate)); });
                                });
        });
    });
    menus.SetHandler("ExtractCut", [&, formats] {
        OpenFileDialog(settings, tasks, interaction, "wav", [&, formats](const std::string& input) {
            const SoundFileInfo info = DetectFileType(input, formats());
            const std::string parameters =
                FileNameOfPath(input) + NumberText(info.sampleRate) + "s/sec" + NumberText(info.channels) +
                "ch" + NumberText(RoundTo(SecondsAtPos(info.dataEnd, info, 1.0) / 60.0, 2)) + " min";
            interaction.AskText(
                parameters + "\r\nStartPoint in minutes", "0", [&, input, formats](auto start) {
                    const std::optional<int64_t> from = WholeNumber(start);
                    if (!from) {
                        return;
                    }
                    interaction.AskText("Duration in minutes", "1", [&, input, formats, from](auto duration) {
                        const std::optional<int64_t> minutes = WholeNumber(duration);
                        if (minutes) {
                            Run(settings, interaction, "Extract cut",
                                [&] { return ExtractCut(input, formats(), *from, *minutes); });
                        }
                    });
                });
        });
    });
    menus.SetHandler("ConvertExt2Wav", [&, formats] {
        OpenFileDialog(settings, tasks, interaction, "ext", [&, formats](const std::string& input) {
            AfterReplacing(interaction, ExtOutputName(input), [&, formats, input] {
                const int64_t setting = formats().scale32;
                const ExtConversion conversion = ConvertExt(input, formats().headerSkip);
                if (!conversion.result.Ok()) {
                    interaction.ShowMessage(conversion.result.error, MessageIcon::Exclamation);
                    return;
                }
                const std::string factor = NumberText(static_cast<double>(conversion.factor));
                const std::string done =
                    input + "\r\nconverted to\r\n" + conversion.result.outputs.front() +
                    "\r\nconversion factor =" + factor +
                    "\r\nlabelled mono at 6000 samples/s whatever the raw sample rate setting";
                if (conversion.factor == setting) {
                    interaction.ShowMessage(done, MessageIcon::Information);
                    return;
                }
                interaction.ShowMessage(
                    "The 32 bit scale setting is" + NumberText(static_cast<double>(setting)) +
                        "\r\nOptimal conversion factor = " + factor,
                    MessageIcon::Information,
                    [&interaction, done] { interaction.ShowMessage(done, MessageIcon::Information); });
            });
        });
    });
    const struct {
        const char* command;
        const char* extension;
    } conversions[] = {{"ConvertDap2Wav", "dap"},
                       {"ConvertMxx2Wav", "m??"},
                       {"ConvertKay2Wav", "kay"},
                       {"ConvertEars2Wav", "001"}};
    for (const auto& c : conversions) {
        menus.SetHandler(c.command, [&, formats, extension = std::string(c.extension)] {
            OpenFileDialog(settings, tasks, interaction, extension, [&, formats](const std::string& input) {
                AfterReplacing(interaction, ConvertedName(input), [&, formats, input] {
                    Run(settings, interaction, "Converting " + input,
                        [&] { return ConvertToWav(input, formats()); });
                });
            });
        });
    }
}

} // namespace ondrix
