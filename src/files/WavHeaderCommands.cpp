#include "files/WavHeaderCommands.h"

#include "common/Interaction.h"
#include "files/WavHeaderTools.h"
#include "settings/MenuModel.h"

#include <memory>
#include <utility>

namespace ondrix {

namespace {

FileDialogRequest WavRequest(const std::string& title, const std::string& folder) {
    FileDialogRequest request;
    request.title = title;
    request.folder = folder;
    request.patterns = {"*.wav"};
    return request;
}

} // namespace

void AttachWavHeaderCommands(MenuModel& menu, Interaction& ui, std::function<std::string()> playFolder) {
    auto folder = std::make_shared<std::function<std::string()>>(std::move(playFolder));
    menu.SetHandler("CheckWavHeader", [&ui, folder] {
        ui.ChooseOpenFile(WavRequest("Check wav header", *folder ? (*folder)() : std::string()),
                          [&ui](std::optional<std::string> chosen) {
                              if (!chosen || chosen->empty()) {
                                  return;
                              }
                              ui.ShowMessage(WavHeaderReport(*chosen), MessageIcon::Information);
                          });
    });
    menu.SetHandler("mnuFixWavHeader", [&ui, folder] {
        ui.ChooseOpenFile(WavRequest("Fix wav header", *folder ? (*folder)() : std::string()),
                          [&ui](std::optional<std::string> chosen) {
                              if (!chosen || chosen->empty()) {
                                  return;
                              }
                              std::string error;
                              if (!RepairWavHeader(*chosen, &error)) {
                                  ui.ShowMessage("The wav header could not be fixed: " + error,
                                                 MessageIcon::Exclamation);
                                  return;
                              }
                              ui.ShowMessage(WavHeaderReport(*chosen), MessageIcon::Information);
                          });
    });
}

} // namespace ondrix
