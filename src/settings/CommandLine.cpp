#include "settings/CommandLine.h"

#include "common/TextLines.h"

#include <cctype>

namespace ondrix {

namespace {

// Whether the text ends in the switch, ignoring case; then takes it off.
bool TakeSwitch(std::string& text, std::string_view name) {
    if (text.size() < name.size()) {
        return false;
    }
    const std::size_t start = text.size() - name.size();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[start + i]);
        if (std::toupper(c) != static_cast<unsigned char>(name[i])) {
            return false;
        }
    }
    text.erase(start);
    return true;
}

} // namespace

std::string CommandLineText(const std::vector<std::string>& arguments) {
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += arguments[i];
    }
    return text;
}

CommandLine ParseCommandLine(std::string_view text) {
    CommandLine line;
    if (text.empty()) {
        return line;
    }
    line.empty = false;
    std::string rest = Trim(text);
    line.record = TakeSwitch(rest, "/REC");
    line.autoRun = TakeSwitch(rest, "/AUTO");
    line.ppt = TakeSwitch(rest, "/PPT");
    line.file = std::move(rest);
    return line;
}

} // namespace ondrix
