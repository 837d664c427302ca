#include "common/SaveFileDialog.h"

#include "common/Paths.h"

#include <filesystem>
#include <memory>

namespace ondrix {

namespace {

struct SaveRequest {
    Interaction& interaction;
    FileDialogRequest request;
    std::string extension; // with its dot
    std::function<void(const std::string&)> then;
};

void Ask(const std::shared_ptr<SaveRequest>& save) {
    save->interaction.ChooseSaveFile(save->request, [save](std::optional<std::string> chosen) {
        if (!chosen || chosen->empty() || chosen->find('*') != std::string::npos) {
            save->then({});
            return;
        }
        const std::string path =
            save->extension.size() > 1 ? WithExtension(*chosen, save->extension) : *chosen;
        const std::string folder = FolderOfPath(path);
        if (!IsFolderWritable(folder.empty() ? "." : folder)) {
            Ask(save);
            return;
        }
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            save->then(path);
            return;
        }
        save->interaction.AskYesNo("Replace " + path + " ?", MessageIcon::Question, [save, path](bool yes) {
            if (yes) {
                save->then(path);
            } else {
                Ask(save);
            }
        });
    });
}

} // namespace

void SaveFileDialog(Interaction& interaction, const std::string& title, const std::string& folder,
                    std::string_view extension, const std::string& proposedName,
                    std::function<void(const std::string& path)> then) {
    const std::string dotted = extension.empty() ? std::string() : "." + std::string(extension);
    auto save = std::make_shared<SaveRequest>(
        SaveRequest{.interaction = interaction,
                    .request = {.title = title,
                                .folder = folder,
                                .fileName = proposedName.empty() ? std::string() : proposedName + dotted,
                                .patterns = {"*" + (dotted.empty() ? std::string(".*") : dotted)}},
                    .extension = dotted,
                    .then = std::move(then)});
    Ask(save);
}

void SetPathDialog(Interaction& interaction, const std::string& folder,
                   std::function<void(const std::string& folder)> then) {
    interaction.ChooseFolder({.title = "Set Path", .folder = folder, .fileName = {}, .patterns = {}},
                             [then = std::move(then)](std::optional<std::string> chosen) {
                                 if (chosen && !chosen->empty()) {
                                     then(WithTrailingSlash(*chosen));
                                 }
                             });
}

} // namespace ondrix
