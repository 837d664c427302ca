// Messages, questions, input boxes and file dialogs shown with Qt dialogs.
#pragma once

#include "common/Interaction.h"

#include <QPointer>
#include <QWidget>

namespace ondrix {

// While no capture runs, a dialog is application-modal (exec) and answers before the call returns.
// While a capture runs, it is window-modal over the main window (open) and answers from the event loop
// when the user closes it, so the capture loop keeps processing its blocks meanwhile.
class QtInteraction : public Interaction {
public:
    // Dialogs are centred on `parent` (may be null, or set later).
    explicit QtInteraction(QWidget* parent = nullptr) : parent_(parent) {}

    void SetParent(QWidget* parent) { parent_ = parent; }
    // Whether a capture runs: the flag, or the query when one is given (the app asks its tasks).
    void SetCaptureRunning(bool running) { captureRunning_ = running; }
    void SetCaptureQuery(std::function<bool()> query) { captureQuery_ = std::move(query); }
    bool CaptureRunning() const { return captureRunning_ || (captureQuery_ && captureQuery_()); }

    void ShowMessage(const std::string& text, MessageIcon icon, std::function<void()> then = {}) override;
    void AskYesNo(const std::string& text, MessageIcon icon, std::function<void(bool)> answer) override;
    void AskYesNoDefaultNo(const std::string& text, MessageIcon icon,
                           std::function<void(bool)> answer) override;
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

private:
    // Shows the dialog modally in the way the capture state allows and runs `finished` with its result
    // code once it is closed. Takes ownership of the dialog.
    void Run(class QDialog* dialog, std::function<void(int result)> finished);
    void Ask(const std::string& text, MessageIcon icon, bool defaultYes, std::function<void(bool)> answer);
    void ChooseFiles(const FileDialogRequest& request, int mode, std::function<void(QStringList)> answer);

    QPointer<QWidget> parent_;
    bool captureRunning_ = false;
    std::function<bool()> captureQuery_;
};

} // namespace ondrix
