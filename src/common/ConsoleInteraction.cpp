#include "common/ConsoleInteraction.h"

#include <cstdio>

namespace ondrix {

ConsoleInteraction::ConsoleInteraction()
    : line_([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }) {}

ConsoleInteraction::ConsoleInteraction(std::function<void(const std::string&)> line)
    : line_(std::move(line)) {}

void ConsoleInteraction::ShowMessage(const std::string& text, MessageIcon, std::function<void()> then) {
    line_(text);
    if (then) {
        then();
    }
}

void ConsoleInteraction::AskYesNo(const std::string& text, MessageIcon, std::function<void(bool)> answer) {
    line_(text + " (no)");
    answer(false);
}

void ConsoleInteraction::AskText(const std::string&, const std::string&,
                                 std::function<void(std::optional<std::string>)> answer) {
    answer(std::nullopt);
}

void ConsoleInteraction::ChooseOpenFile(const FileDialogRequest&,
                                        std::function<void(std::optional<std::string>)> answer) {
    answer(std::nullopt);
}

void ConsoleInteraction::ChooseOpenFiles(const FileDialogRequest&,
                                         std::function<void(std::vector<std::string>)> answer) {
    answer({});
}

void ConsoleInteraction::ChooseSaveFile(const FileDialogRequest&,
                                        std::function<void(std::optional<std::string>)> answer) {
    answer(std::nullopt);
}

void ConsoleInteraction::ChooseFolder(const FileDialogRequest&,
                                      std::function<void(std::optional<std::string>)> answer) {
    answer(std::nullopt);
}

} // namespace ondrix
