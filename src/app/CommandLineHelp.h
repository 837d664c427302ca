// "ondrix --help" and "ondrix --version": answered before any window, display or settings are touched.
#pragma once

#include <optional>
#include <string>

namespace ondrix {

// The usage lines, the options of the window and of the export, and the exit codes.
std::string UsageText();

// When the command line asks for the help (--help, -h, -?) or the version (--version, -v) before a "--",
// prints it to standard output and returns the exit code 0; otherwise returns nothing.
std::optional<int> AnswerHelpOrVersion(int argc, char* argv[]);

} // namespace ondrix
