// The command sentences of the remote control: the prefix, the command word and the status reply, as
// pure functions of their texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// Every sentence starts with this, exactly (case-sensitive).
inline constexpr std::string_view kSentencePrefix = "$ONDRIX,";

enum class RemoteCommand { Unknown, DisplayMode, RecMode, Start, Stop, SaveBuffer, Snapshot, Status };

// The command word of a sentence: its second comma-separated field in upper case, without leading and
// trailing spaces (other white space stays and makes the word unknown). Nothing without the prefix.
std::optional<std::string> CommandWord(std::string_view sentence);

// The command a word names; Unknown for any other word.
RemoteCommand CommandFromWord(std::string_view word);

// What the status reply tells.
struct RemoteStatus {
    bool stopped = true;       // no session runs
    int mode = 1;              // the task, 1..4
    std::string recordingFile; // told while a session records (task 2)
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int64_t fails = 0;
    int64_t overloads = 0;
};

// "Status Stop Task 1 48000 x 2 Fails 0 OVL 0"; while recording "Status Run Task 2 <file> 48000 x 1 ...".
std::string StatusText(const RemoteStatus& status);

// A reply address must be a dotted IPv4 address ("127.0.0.1"); names and other forms are refused.
bool IsIpAddress(std::string_view text);

} // namespace ondrix
