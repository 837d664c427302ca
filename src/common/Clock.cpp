#include "common/Clock.h"

#include "common/NumberText.h"
#include "common/Rounding.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace ondrix {

std::string SecondsToClock(double seconds) {
    if (!(seconds > 0.0)) {
        seconds = 0.0;
    }
    int64_t whole = static_cast<int64_t>(std::trunc(seconds));
    int64_t millis = RoundToInt64((seconds - static_cast<double>(whole)) * 1000.0);
    if (millis >= 1000) {
        whole += 1;
        millis -= 1000;
    }
    const int64_t minutes = whole / 60;
    const int64_t hours = minutes / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes % 60), static_cast<long long>(whole % 60),
                  static_cast<long long>(millis));
    return buffer;
}

double ClockToSeconds(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t colon = text.find(':'); colon != std::string_view::npos; colon = text.find(':', start)) {
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    if (parts.size() >= 3) {
        return TextValue(parts[0]) * 3600.0 + TextValue(parts[1]) * 60.0 + TextValue(parts[2]);
    }
    if (parts.size() == 2) {
        return TextValue(parts[0]) * 60.0 + TextValue(parts[1]);
    }
    return TextValue(parts[0]);
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

namespace {

std::string Formatted(const char* format, const std::tm& when) {
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &when);
    return std::string(buffer, length);
}

} // namespace

std::string DateStampYMD(const std::tm& when) {
    return Formatted("%Y%m%d", when);
}
std::string DateStampYMD() {
    return DateStampYMD(LocalNow());
}

std::string FileTimeStamp(const std::tm& when) {
    return Formatted("%Y%m%d_%H%M%S", when);
}
std::string FileTimeStamp() {
    return FileTimeStamp(LocalNow());
}

std::string ShortDateText(const std::tm& when) {
    return Formatted("%Y-%m-%d", when);
}
std::string ShortTimeText(const std::tm& when) {
    return Formatted("%H:%M:%S", when);
}

} // namespace ondrix
