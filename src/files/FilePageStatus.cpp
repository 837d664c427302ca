#include "files/FilePageStatus.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "files/FilePage.h"

namespace ondrix {

std::string FileLabelName(const std::string& path) {
    return path.size() >= 97 ? "..\\" + FileNameOfPath(path) : path;
}

std::string FileRunStatusText(const std::string& path, const SoundFileInfo& info, const std::string& mode) {
    const double kilobytes = RoundHalfEven(static_cast<double>(info.size) / 1024.0);
    const double total = static_cast<double>(info.size) / static_cast<double>(BytesPerSecond(info));
    return FileLabelName(path) + NumberText(kilobytes) + "kb" + NumberText(info.sampleRate) + "s/sec" +
           NumberText(info.channels) + "ch (" + mode + ")  Tot " + SecondsToClock(total) + NumberText(16) +
           "bit";
}

std::optional<std::string> SampleFormatText(const SoundFileInfo& info) {
    if (info.channels < 1 || info.sampleRate < 1) {
        return std::nullopt;
    }
    switch (EncodingOf(info.type)) {
    case SampleEncoding::Int16:
        return "16bit";
    case SampleEncoding::Int32:
        return "32bitPCM";
    case SampleEncoding::Float32:
        return "32bitFloat";
    default:
        return std::nullopt;
    }
}

} // namespace ondrix
