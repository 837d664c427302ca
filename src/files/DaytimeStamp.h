// The time of day of a page, from the recording time a file's name carries.
#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Searches `timeTag` in the file name (without folder). Found at p: the eight characters from p are the
// date and the six from p + 9 the time hhmmss, as in the recorder's YYYYMMDD_hhmmss; the text is
// "Daytime: File hh:mm:ss  Frame " + the clock of that time plus `elapsedSeconds`. "No timestamp" when
// the tag is empty or absent, or no six digits stand where the time belongs.
std::string DaytimeText(std::string_view fileName, std::string_view timeTag, double elapsedSeconds);

} // namespace ondrix
