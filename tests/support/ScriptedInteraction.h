// An Interaction for tests: records every message and question, and answers from queues filled by
// the test. An unexpected question fails the test instead of blocking.
#pragma once

#include "common/Interaction.h"

#include <gtest/gtest.h>

#include <deque>

namespace ondrix {

class ScriptedInteraction : public Interaction {
public:
    struct Shown {
        std::string text;
        MessageIcon icon;
    };

    std::vector<Shown> messages;                        // messages and questions in the order shown
    std::deque<bool> yesNoAnswers;                      // answers to AskYesNo, front first
    std::deque<std::optional<std::string>> textAnswers; // answers to AskText and the single-file dialogs
    std::deque<std::vector<std::string>> multiFileAnswers;
    std::vector<FileDialogRequest> dialogs; // every file dialog opened

    void ShowMessage(const std::string& text, MessageIcon icon, std::function<void()> then) override {
        messages.push_back({text, icon});
        if (then) {
            then();
        }
    }

    void AskYesNo(const std::string& text, MessageIcon icon, std::function<void(bool)> answer) override {
        messages.push_back({text, icon});
        if (yesNoAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return;
        }
        const bool yes = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        answer(yes);
    }

    void AskText(const std::string& prompt, const std::string&,
                 std::function<void(std::optional<std::string>)> answer) override {
        messages.push_back({prompt, MessageIcon::None});
        answer(NextText(prompt));
    }

    void ChooseOpenFile(const FileDialogRequest& request,
                        std::function<void(std::optional<std::string>)> answer) override {
        dialogs.push_back(request);
        answer(NextText(request.title));
    }

    void ChooseOpenFiles(const FileDialogRequest& request,
                         std::function<void(std::vector<std::string>)> answer) override {
        dialogs.push_back(request);
        if (multiFileAnswers.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << request.title;
            return;
        }
        auto files = multiFileAnswers.front();
        multiFileAnswers.pop_front();
        answer(files);
    }

    void ChooseSaveFile(const FileDialogRequest& request,
                        std::function<void(std::optional<std::string>)> answer) override {
        dialogs.push_back(request);
        answer(NextText(request.title));
    }

    void ChooseFolder(const FileDialogRequest& request,
                      std::function<void(std::optional<std::string>)> answer) override {
        dialogs.push_back(request);
        answer(NextText(request.title));
    }

    // The texts of all messages shown, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Shown& shown : messages) {
            texts.push_back(shown.text);
        }
        return texts;
    }

private:
    std::optional<std::string> NextText(const std::string& what) {
        if (textAnswers.empty()) {
            ADD_FAILURE() << "unexpected request: " << what;
            return std::nullopt;
        }
        auto text = textAnswers.front();
        textAnswers.pop_front();
        return text;
    }
};

} // namespace ondrix
