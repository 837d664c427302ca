// Everything the user must read or answer: message boxes, questions, input boxes and file dialogs.
// The program shows them through this interface only, so every behaviour runs headless in tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrix {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };

// A file-dialog request: the dialog's title, its initial folder, an initial file name (save dialogs)
// and name patterns such as "*.wav".
struct FileDialogRequest {
    std::string title;
    std::string folder;
    std::string fileName;
    std::vector<std::string> patterns;
};

// Answers arrive through callbacks. An implementation may call them before returning (no capture
// running) or later from the event loop (a capture running: nothing may stall it), so callers put
// whatever follows the answer into the callback and never rely on the moment it runs.
class Interaction {
public:
    virtual ~Interaction() = default;

    // A message with an OK button; `then` runs when it has been acknowledged.
    virtual void ShowMessage(const std::string& text, MessageIcon icon, std::function<void()> then = {}) = 0;

    // A yes/no question: the callback gets true for Yes.
    virtual void AskYesNo(const std::string& text, MessageIcon icon, std::function<void(bool)> answer) = 0;

    // The same question with No as the default button, for a Yes that cannot be taken back. Where an
    // implementation has no default button it is asked as above.
    virtual void AskYesNoDefaultNo(const std::string& text, MessageIcon icon,
                                   std::function<void(bool)> answer) {
        AskYesNo(text, icon, std::move(answer));
    }

    // An input box: the callback gets the entered text, or nothing when it was cancelled.
    virtual void AskText(const std::string& prompt, const std::string& initial,
                         std::function<void(std::optional<std::string>)> answer) = 0;

    // File dialogs: the chosen path(s), or nothing when cancelled. The save dialog asks nothing about an
    // existing file: SaveFileDialog does, once.
    virtual void ChooseOpenFile(const FileDialogRequest& request,
                                std::function<void(std::optional<std::string>)> answer) = 0;
    virtual void ChooseOpenFiles(const FileDialogRequest& request,
                                 std::function<void(std::vector<std::string>)> answer) = 0;
    virtual void ChooseSaveFile(const FileDialogRequest& request,
                                std::function<void(std::optional<std::string>)> answer) = 0;
    virtual void ChooseFolder(const FileDialogRequest& request,
                              std::function<void(std::optional<std::string>)> answer) = 0;
};

} // namespace ondrix
