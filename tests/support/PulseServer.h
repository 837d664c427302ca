// Helpers for tests that capture from a private PulseAudio server (scripts/pulse-null-sink.sh).
#pragma once

#include <cstdlib>
#include <string>

namespace ondrix {

inline bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs the server script ("start DIR", "tone DIR FREQ", "stop DIR"); its exit status.
inline int PulseScript(const std::string& arguments) {
    return std::system((std::string(ONDRIX_PULSE_SCRIPT) + " " + arguments).c_str());
}

// Whether everything a capture through the private server needs is installed.
inline bool PulseServerAvailable() {
    return Installed("pulseaudio") && Installed("sox") && Installed("pactl");
}

} // namespace ondrix
