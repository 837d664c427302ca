// The sound file the window analyses and its position: one per program.
#pragma once

#include "files/SoundFileFormat.h"

#include <cstdint>
#include <string>

namespace ondrix {

struct CurrentFile {
    // The last-page position before any page is drawn: unlike 0, never the position of a page.
    static constexpr int64_t kNoPage = -1;

    std::string name;            // full path; empty when no file is open
    SoundFileInfo info;          // what recognition found
    int64_t filePos = 0;         // byte position of the next page to read; 0 before the first run
    int64_t frameBytes = 0;      // bytes of one screenful: width * scan step * channels * stored sample bytes
    int64_t lastPos = 0;         // position of the page last drawn; kNoPage at a run's start and on Refresh
    double elapsedSeconds = 0.0; // time of the position from the start of the data (the daytime origin)

    bool IsOpen() const { return !name.empty(); }
};

} // namespace ondrix
