#include "files/FileDialog.h"

#include "common/Interaction.h"
#include "common/Paths.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace ondrix {

namespace {

constexpr std::string_view kAnyMxx = "m??";

void ShowOpenDialog(SettingsModel& settings, Interaction& interaction,
                    const std::vector<std::string>& extensions,
                    std::shared_ptr<std::function<void(const std::string&)>> then) {
    FileDialogRequest request{.title = "Open",
                              .folder = settings.Options0().Text("DefPlayPathField"),
                              .fileName = {},
                              .patterns = {}};
    for (const std::string& extension : extensions) {
        if (!extension.empty()) {
            request.patterns.push_back("*." + extension);
        }
    }
    interaction.ChooseOpenFile(
        request, [&settings, &interaction, extensions, then](std::optional<std::string> chosen) {
            if (!chosen || chosen->empty()) {
                return;
            }
            if (std::none_of(extensions.begin(), extensions.end(), [&](const std::string& extension) {
                    return NameFitsExtension(*chosen, extension);
                })) {
                ShowOpenDialog(settings, interaction, extensions, then);
                return;
            }
            std::error_code error;
            if (!std::filesystem::is_regular_file(*chosen, error)) {
                return;
            }
            const std::string folder = FolderOfPath(*chosen);
            if (!folder.empty()) {
                settings.Options0().SetText("DefPlayPathField", WithTrailingSlash(folder));
            }
            if (*then) {
                (*then)(*chosen);
            }
        });
}

} // namespace

bool NameFitsExtension(std::string_view name, std::string_view extension) {
    return extension.empty() || extension == kAnyMxx || EndsWithNoCase(name, extension);
}

void OpenFileDialog(SettingsModel& settings, const TaskController& tasks, Interaction& interaction,
                    const std::string& extension, std::function<void(const std::string&)> then) {
    OpenFileDialog(settings, tasks, interaction, std::vector<std::string>{extension}, std::move(then));
}

void OpenFileDialog(SettingsModel& settings, const TaskController& tasks, Interaction& interaction,
                    const std::vector<std::string>& extensions,
                    std::function<void(const std::string&)> then) {
    if (!tasks.SessionStopped() || tasks.Running()) {
        return;
    }
    ShowOpenDialog(settings, interaction, extensions,
                   std::make_shared<std::function<void(const std::string&)>>(std::move(then)));
}

} // namespace ondrix
