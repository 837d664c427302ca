#include "common/SessionLog.h"

#include "common/Clock.h"
#include "common/PrintLine.h"
#include "common/TextLines.h"

namespace ondrix {

std::string SessionLogPath(std::string_view programFolder, const std::tm& when) {
    return std::string(programFolder) + "RecLog " + DateStampYMD(when) + ".Log";
}

bool AppendSessionLog(const std::string& logPath, const std::vector<std::string>& fields,
                      const std::tm& when) {
    PrintLine line;
    line.Item(ShortDateText(when)).NextZone().Item(ShortTimeText(when));
    for (const std::string& field : fields) {
        line.NextZone().Item(field);
    }
    return AppendLine(logPath, line.Text());
}

bool AppendSessionLog(const std::string& logPath, const std::vector<std::string>& fields) {
    return AppendSessionLog(logPath, fields, LocalNow());
}

} // namespace ondrix
