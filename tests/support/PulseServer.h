// Helpers for tests that capture from a private PulseAudio server (scripts/pulse-null-sink.sh).
#pragma once

#include "TempFolder.h"

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

// A private server whose null sink plays a sine of `frequency` Hz while the object lives (with `right`,
// that tone on the left channel only and `right` Hz on the right only), with PulseAudio clients pointed at
// the sink's monitor. Playing() is false when the programs are missing or it failed.
class PulseTone {
public:
    explicit PulseTone(int frequency, int right = 0) {
        if (PulseServerAvailable() && PulseScript("start " + folder_.Path()) == 0) {
            started_ = true;
            setenv("PULSE_SERVER", ("unix:" + folder_.Path() + "sock").c_str(), 1);
            setenv("PULSE_SOURCE", "ondrix_null.monitor", 1);
            playing_ = PulseScript("tone " + folder_.Path() + " " + std::to_string(frequency) +
                                   (right > 0 ? " " + std::to_string(right) : std::string())) == 0;
        }
    }
    ~PulseTone() {
        StopServer();
        unsetenv("PULSE_SERVER");
        unsetenv("PULSE_SOURCE");
    }
    PulseTone(const PulseTone&) = delete;
    PulseTone& operator=(const PulseTone&) = delete;

    bool Playing() const { return playing_; }
    // The server goes away, as when it crashes or is killed.
    void StopServer() {
        if (started_) {
            PulseScript("stop " + folder_.Path());
        }
        started_ = playing_ = false;
    }

private:
    TempFolder folder_;
    bool started_ = false;
    bool playing_ = false;
};

} // namespace ondrix
