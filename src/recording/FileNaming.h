// Names of recording files: prefix, progressive number, date stamp, position, recording parameters
// and postfix, joined by the separator.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace ondrix {

class SettingsModel;

// The naming choices of the Basic Settings window.
struct FileNameOptions {
    std::string prefix{};        // FileRecNameField
    std::string separator = "_"; // FSep
    bool addNumber = false;      // AddRecN
    bool addTimeStamp = false;   // AddTimeStamp
    bool addPosition = false;    // AddUDP
    bool addParameters = false;  // AddHeader
    std::string postfix{};       // FileNamePostfix
};

// What changes from one file to the next.
struct FileNameInput {
    int counter = 1;      // progressive number, four digits
    std::tm when{};       // the date and time stamp
    std::string position; // the position text last received by UDP
    int channels = 1;
    uint32_t rate = 48000;
};

struct RecordingFileName {
    std::string path;     // folder + bare name + ".wav"
    std::string bareName; // without folder and extension
};

// Characters never accepted in a part of a file name: the folder separator, characters that other
// systems refuse (\ : ; * ? " < > |) and control characters.
bool IsFileNameSafeChar(char c);

// Empty when the options are acceptable, else the message to show: prefix, postfix and separator
// must hold only safe characters, and the separator is at most one character.
std::string CheckFileNameOptions(const FileNameOptions& options);

// A received text made safe to stand in a file name: trimmed, unsafe characters replaced by "-".
std::string FileNameSafeText(std::string_view text);

// The longest position text a file name takes.
inline constexpr std::size_t kMaxPositionChars = 64;

// The position last received by UDP (main window label UDPTXT) for one file name: when the Basic
// Settings add it (AddUDP), the label's text made file-name safe and cut to kMaxPositionChars, and the
// label is cleared so that each position names one file at most. Otherwise empty, the label untouched.
std::string TakeReceivedPosition(SettingsModel& settings);

// The next recording file name in the folder (a trailing "/" is added when missing). Each enabled
// part is preceded by the separator, even when the prefix is empty; a name that stays empty becomes
// the date and time stamp. The options must have passed CheckFileNameOptions.
RecordingFileName CreateFileName(const FileNameOptions& options, const FileNameInput& input,
                                 std::string_view folder);

// The first of base + extension, base + separator + "n1" + extension, "n2", … that `taken` does not hold
// (by default: no file or folder of that name exists), so an automatic name never overwrites an earlier
// file. An empty separator counts as "_".
std::string FirstFreeName(const std::string& base, std::string_view extension,
                          std::string_view separator = "_",
                          const std::function<bool(const std::string&)>& taken = {});

// The naming options as set in the Basic Settings window.
FileNameOptions FileNameOptionsFromSettings(SettingsModel& settings);

} // namespace ondrix
