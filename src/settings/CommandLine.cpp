#include "settings/CommandLine.h"

#include "common/TextLines.h"

#include <cctype>

namespace ondrix {

namespace {

bool EndsWithSwitch(const std::string& text, std::string_view name) {
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
    return true;
}

// Whether the arguments end in the switch; then takes it off, as a whole argument or from the last one.
bool TakeSwitch(std::vector<std::string>& arguments, std::string_view name) {
    std::string& last = arguments.back();
    if (!EndsWithSwitch(last, name)) {
        return false;
    }
    if (last.size() == name.size() && arguments.size() > 1) {
        arguments.pop_back();
    } else {
        last.erase(last.size() - name.size());
    }
    return true;
}

// Blanks off both ends of the text the arguments make; blank arguments at the ends go with them.
void TrimEnds(std::vector<std::string>& arguments) {
    while (arguments.size() > 1 && TrimLeadingBlanks(arguments.front()).empty()) {
        arguments.erase(arguments.begin());
    }
    while (arguments.size() > 1 && TrimLeadingBlanks(arguments.back()).empty()) {
        arguments.pop_back();
    }
    arguments.front() = TrimLeadingBlanks(arguments.front());
    arguments.back() = TrimTrailingBlanks(arguments.back());
}

} // namespace

CommandLine ParseCommandLine(std::vector<std::string> arguments) {
    CommandLine line;
    if (arguments.empty() || (arguments.size() == 1 && arguments.front().empty())) {
        return line;
    }
    line.empty = false;
    TrimEnds(arguments);
    line.record = TakeSwitch(arguments, "/REC");
    line.autoRun = TakeSwitch(arguments, "/AUTO");
    line.ppt = TakeSwitch(arguments, "/PPT");
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        line.file += (i > 0 ? " " : "") + arguments[i];
    }
    return line;
}

} // namespace ondrix
