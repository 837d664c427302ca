// The command line of the program: an optional sound file, optionally followed by "/REC", "/AUTO" or
// "/PPT".
#pragma once

#include <string>
#include <vector>

namespace ondrix {

struct CommandLine {
    bool empty = true;    // nothing was given: start-up ends here
    bool record = false;  // "/REC": real-time analysis with recording starts at once
    bool autoRun = false; // "/AUTO": removed, no other effect
    bool ppt = false;     // "/PPT": removed, no other effect
    std::string file;     // the text left after the switches: opened when it names an existing file
};

// The arguments after the options, as the shell split them. The text is trimmed of blanks on both sides;
// then, without regard to case and in this order, "/REC", "/AUTO" and "/PPT" are taken off the end: a last
// argument that is exactly the switch is dropped, else a last argument ending in it loses those
// characters. Nothing is trimmed after a switch is taken off: the one argument "a.wav /REC" leaves
// "a.wav " (with its blank), which names no file, while "a.wav" "/REC" leaves "a.wav". What remains,
// joined by single blanks, is the file; an argument that holds blanks keeps them.
CommandLine ParseCommandLine(std::vector<std::string> arguments);

} // namespace ondrix
