// Reading and writing the small text files of the settings, with limits that keep a damaged or
// foreign file from exhausting memory or time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// A settings file is read up to this size; the rest is ignored.
inline constexpr std::size_t kSettingsFileMaxBytes = 4 * 1024 * 1024;
// Longer lines (and items) are skipped whole.
inline constexpr std::size_t kSettingsLineMaxLength = 64 * 1024;
// Reading stops after this many lines.
inline constexpr int kSettingsFileMaxLines = 100000;

// The first kSettingsFileMaxBytes of a regular file; nothing when the path is not a readable
// regular file (missing, a folder, a device or a pipe).
std::optional<std::string> ReadSettingsText(const std::string& path);

// Creates or replaces the file with the text. False when it cannot be written completely.
bool WriteSettingsText(const std::string& path, std::string_view text);

// A value as it may stand on one line of a settings file: line breaks become blanks.
std::string OneLine(std::string_view text);

} // namespace ondrix
