// The session log: one line per event, appended and closed each time.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// program folder + "RecLog " + YYYYMMDD + ".Log".
std::string SessionLogPath(std::string_view programFolder, const std::tm& when);

// Appends "date, time, fields..." in 14-column print zones with CR LF. The caller passes the
// message alone, or the recorded file's name and the message while recording. False when the
// file cannot be written.
bool AppendSessionLog(const std::string& logPath, const std::vector<std::string>& fields,
                      const std::tm& when);
bool AppendSessionLog(const std::string& logPath, const std::vector<std::string>& fields);

} // namespace ondrix
