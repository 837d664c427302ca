#include "remote/RemoteSentence.h"

#include "common/Fields.h"
#include "common/NumberText.h"

#include <arpa/inet.h>

#include <array>
#include <utility>

namespace ondrix {

namespace {

constexpr std::array<std::pair<std::string_view, RemoteCommand>, 7> kCommands = {{
    {"DISPLAYMODE", RemoteCommand::DisplayMode},
    {"RECMODE", RemoteCommand::RecMode},
    {"START", RemoteCommand::Start},
    {"STOP", RemoteCommand::Stop},
    {"SAVEBUFFER", RemoteCommand::SaveBuffer},
    {"SNAPSHOT", RemoteCommand::Snapshot},
    {"STATUS", RemoteCommand::Status},
}};

} // namespace

std::optional<std::string> CommandWord(std::string_view sentence) {
    if (!sentence.starts_with(kSentencePrefix)) {
        return std::nullopt;
    }
    std::string word = ExtractField(sentence, ",", 2);
    for (char& c : word) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    const std::size_t first = word.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    return word.substr(first, word.find_last_not_of(' ') - first + 1);
}

RemoteCommand CommandFromWord(std::string_view word) {
    for (const auto& [name, command] : kCommands) {
        if (word == name) {
            return command;
        }
    }
    return RemoteCommand::Unknown;
}

std::string StatusText(const RemoteStatus& status) {
    std::string text = status.stopped ? "Status Stop Task" : "Status Run Task";
    text += NumberText(status.mode);
    if (!status.stopped && status.mode == 2) {
        text += " " + status.recordingFile;
    }
    text += NumberText(status.sampleRate) + " x" + NumberText(status.channels);
    text += " Fails" + NumberText(static_cast<double>(status.fails));
    text += " OVL" + NumberText(static_cast<double>(status.overloads));
    return text;
}

bool IsIpAddress(std::string_view text) {
    // inet_pton takes exactly four decimal parts; a name, a short form or trailing text fails.
    // A NUL inside the text would end it early for inet_pton.
    const std::string copy(text);
    in_addr address{};
    return copy.find('\0') == std::string::npos && inet_pton(AF_INET, copy.c_str(), &address) == 1;
}

} // namespace ondrix
