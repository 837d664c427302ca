// Line-oriented text files: CR LF on writing, any line end on reading, comma-separated items.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace ondrix {

// Writes text followed by CR LF.
void WriteLine(std::ostream& out, std::string_view text);

// Reads one line ending in CR LF, LF or a lone CR, without its line end. False at the end of the
// stream when nothing was read.
bool ReadLine(std::istream& in, std::string& line);

// Reads one item ending at a comma or a line end, with surrounding blanks trimmed. False at the end
// of the stream when nothing was read.
bool ReadItem(std::istream& in, std::string& item);

// Opens the file for appending, writes one CR LF line and closes it. False when it cannot be written.
bool AppendLine(const std::string& path, std::string_view text);

// Blanks and tabs removed from both ends.
std::string Trim(std::string_view text);
// Blanks (only) removed from the start, or from the end.
std::string TrimLeadingBlanks(std::string_view text);
std::string TrimTrailingBlanks(std::string_view text);

} // namespace ondrix
