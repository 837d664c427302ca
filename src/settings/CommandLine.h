// The command line of the program: an optional sound file, optionally followed by "/REC", "/AUTO" or
// "/PPT".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

struct CommandLine {
    bool empty = true;    // nothing was given: start-up ends here
    bool record = false;  // "/REC": real-time analysis with recording starts at once
    bool autoRun = false; // "/AUTO": removed, no other effect
    bool ppt = false;     // "/PPT": removed, no other effect
    std::string file;     // the text left after the switches: opened when it names an existing file
};

// The arguments after the options as one text, joined by single blanks, the way the shell received
// them; an argument that holds blanks (a quoted file name) keeps them.
std::string CommandLineText(const std::vector<std::string>& arguments);

// Trims the text of blanks on both sides, then takes off, without regard to case and in this order, a
// trailing "/REC", a trailing "/AUTO" and a trailing "/PPT". Nothing is trimmed after a switch is taken
// off: "a.wav /REC" leaves "a.wav " (with its blank), which names no file.
CommandLine ParseCommandLine(std::string_view text);

} // namespace ondrix
