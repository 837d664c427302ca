// Time texts: clock forms of durations, date stamps for file names and the short date and time.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace ondrix {

// "hh:mm:ss.mmm": whole seconds truncated, milliseconds rounded with a full 1000 carried into the
// seconds (59.9996 -> "00:01:00.000"); hours are not reduced.
std::string SecondsToClock(double seconds);

// "h:m:s" -> h*3600 + m*60 + s, "m:s" -> m*60 + s, a plain number -> itself.
double ClockToSeconds(std::string_view text);

// The local time now, broken down.
std::tm LocalNow();

// "YYYYMMDD".
std::string DateStampYMD(const std::tm& when);
std::string DateStampYMD();

// "YYYYMMDD_hhmmss".
std::string FileTimeStamp(const std::tm& when);
std::string FileTimeStamp();

// The short date "yyyy-MM-dd" and the time "HH:mm:ss" used in every text.
std::string ShortDateText(const std::tm& when);
std::string ShortTimeText(const std::tm& when);

} // namespace ondrix
