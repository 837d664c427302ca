#include "recording/FileNaming.h"

#include <filesystem>

#include "common/Clock.h"
#include "common/Paths.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <string_view>

namespace ondrix {

bool IsFileNameSafeChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7f) {
        return false;
    }
    return std::string_view("/\\:;*?\"<>|").find(c) == std::string_view::npos;
}

namespace {

bool AllSafe(std::string_view text) {
    for (const char c : text) {
        if (!IsFileNameSafeChar(c)) {
            return false;
        }
    }
    return true;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string FourDigits(int counter) {
    const std::string digits = "0000" + std::to_string(counter);
    return digits.substr(digits.size() - 4);
}

} // namespace

std::string CheckFileNameOptions(const FileNameOptions& options) {
    const std::string unsafe = " may not contain / \\ : ; * ? \" < > | or control characters";
    if (!AllSafe(options.prefix)) {
        return "The file name prefix" + unsafe;
    }
    if (!AllSafe(options.postfix)) {
        return "The file name postfix" + unsafe;
    }
    if (!AllSafe(options.separator)) {
        return "The separator" + unsafe;
    }
    if (options.separator.size() > 1) {
        return "The separator is one character";
    }
    return {};
}

std::string FileNameSafeText(std::string_view text) {
    std::string result = Trimmed(text);
    for (char& c : result) {
        if (!IsFileNameSafeChar(c)) {
            c = '-';
        }
    }
    return result;
}

std::string TakeReceivedPosition(SettingsModel& settings) {
    if (!settings.Options0().Checked("AddUDP")) {
        return {};
    }
    ControlModel& form = settings.Form1();
    std::string position = FileNameSafeText(form.Text("UDPTXT"));
    position.resize(std::min(position.size(), kMaxPositionChars));
    form.SetText("UDPTXT", "");
    return position;
}

RecordingFileName CreateFileName(const FileNameOptions& options, const FileNameInput& input,
                                 std::string_view folder) {
    const std::string& s = options.separator;
    std::string name = options.prefix;
    if (options.addNumber) {
        name += s + FourDigits(input.counter);
    }
    if (options.addTimeStamp) {
        name += s + FileTimeStamp(input.when);
    }
    if (options.addPosition) {
        name += s + FileNameSafeText(input.position);
    }
    if (options.addParameters) {
        name += s + std::to_string(input.channels) + "CH" + std::to_string(input.rate / 1000) + "K16";
    }
    if (!options.postfix.empty()) {
        name += s + options.postfix;
    }
    if (name.empty()) {
        name = FileTimeStamp(input.when);
    }
    return {.path = WithTrailingSlash(folder) + name + ".wav", .bareName = name};
}

FileNameOptions FileNameOptionsFromSettings(SettingsModel& settings) {
    const ControlModel& basic = settings.Window(WindowId::Options0);
    return {.prefix = basic.Text("FileRecNameField"),
            .separator = basic.Text("FSep"),
            .addNumber = basic.Checked("AddRecN"),
            .addTimeStamp = basic.Checked("AddTimeStamp"),
            .addPosition = basic.Checked("AddUDP"),
            .addParameters = basic.Checked("AddHeader"),
            .postfix = basic.Text("FileNamePostfix")};
}

std::string FirstFreeName(const std::string& base, std::string_view extension, std::string_view separator,
                          const std::function<bool(const std::string&)>& taken) {
    const auto inUse = [&taken](const std::string& name) {
        std::error_code error;
        return taken ? taken(name) : std::filesystem::exists(name, error);
    };
    const std::string joint = std::string(separator.empty() ? "_" : separator) + "n";
    std::string name = base + std::string(extension);
    for (int k = 1; inUse(name); ++k) {
        name = base + joint + std::to_string(k) + std::string(extension);
    }
    return name;
}

} // namespace ondrix
