// An Interaction for programs without windows (batch commands, benchmarks): messages go to a line
// callback (stderr by default), questions are answered No, dialogs are cancelled.
#pragma once

#include "common/Interaction.h"

#include <functional>
#include <string>

namespace ondrix {

class ConsoleInteraction : public Interaction {
public:
    ConsoleInteraction();
    explicit ConsoleInteraction(std::function<void(const std::string&)> line);

    void ShowMessage(const std::string& text, MessageIcon icon, std::function<void()> then) override;
    void AskYesNo(const std::string& text, MessageIcon icon, std::function<void(bool)> answer) override;
    void AskText(const std::string& prompt, const std::string& initial,
                 std::function<void(std::optional<std::string>)> answer) override;
    void ChooseOpenFile(const FileDialogRequest& request,
                        std::function<void(std::optional<std::string>)> answer) override;
    void ChooseOpenFiles(const FileDialogRequest& request,
                         std::function<void(std::vector<std::string>)> answer) override;
    void ChooseSaveFile(const FileDialogRequest& request,
                        std::function<void(std::optional<std::string>)> answer) override;
    void ChooseFolder(const FileDialogRequest& request,
                      std::function<void(std::optional<std::string>)> answer) override;

    // Replaces where the lines go.
    void SetLine(std::function<void(const std::string&)> line) { line_ = std::move(line); }

private:
    std::function<void(const std::string&)> line_;
};

} // namespace ondrix
