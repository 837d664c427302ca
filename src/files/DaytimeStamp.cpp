#include "files/DaytimeStamp.h"

#include "common/Clock.h"

#include <algorithm>

namespace ondrix {

std::string DaytimeText(std::string_view fileName, std::string_view timeTag, double elapsedSeconds) {
    const std::string_view none = "No timestamp";
    const std::size_t p = timeTag.empty() ? std::string_view::npos : fileName.find(timeTag);
    if (p == std::string_view::npos || p + 15 > fileName.size()) {
        return std::string(none);
    }
    const std::string_view time = fileName.substr(p + 9, 6);
    if (!std::all_of(time.begin(), time.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::string(none);
    }
    const auto two = [&](std::size_t at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
    const double fileSeconds = two(0) * 3600.0 + two(2) * 60.0 + two(4);
    return "Daytime: File " + std::string(time.substr(0, 2)) + ":" + std::string(time.substr(2, 2)) + ":" +
           std::string(time.substr(4, 2)) + "  Frame " + SecondsToClock(fileSeconds + elapsedSeconds);
}

} // namespace ondrix
