#include "files/FilePage.h"

#include "analysis/RealTimeLoop.h"
#include "settings/SettingsModel.h"

#include <algorithm>

namespace ondrix {

int FileScanStep(const ControlModel& form) {
    const int block = std::min(form.IntValue("BlockSize"), RealTimeLoop::kMaxBlockSize);
    return std::max(std::min(form.IntValue("ScanStep"), block), 1);
}

int64_t FrameBytesOf(int width, int scanStep, const SoundFileInfo& info) {
    const int64_t channels = std::max(info.channels, 1);
    const int64_t bytes = static_cast<int64_t>(std::max(width, 0)) * std::max(scanStep, 1) * channels *
                          std::max(info.bytesPerSample, 1);
    return std::max(bytes, channels * 32);
}

int64_t FrameBytesFromSettings(const SettingsModel& settings, int width, const SoundFileInfo& info) {
    return FrameBytesOf(width, FileScanStep(settings.Form1()), info);
}

int64_t AlignFilePos(int64_t pos, const SoundFileInfo& info) {
    const int64_t align = std::max<int64_t>(info.frameAlign, 1);
    int64_t k = (pos - info.headerSize) / align;
    if (k * align > pos - info.headerSize) {
        --k; // floor for positions before the header
    }
    return info.headerSize + k * align;
}

int64_t ClampFilePos(int64_t pos, int64_t frameBytes, const SoundFileInfo& info, bool clampToLastFrame) {
    pos = std::max(AlignFilePos(pos, info), info.headerSize);
    if (clampToLastFrame && pos > info.dataEnd - frameBytes) {
        pos = std::max(AlignFilePos(info.dataEnd - frameBytes, info), info.headerSize);
    }
    return pos;
}

int64_t BytesPerSecond(const SoundFileInfo& info) {
    return static_cast<int64_t>(std::max(info.sampleRate, 1)) * std::max(info.channels, 1) *
           std::max(info.bytesPerSample, 1);
}

double SecondsAtPos(int64_t pos, const SoundFileInfo& info, double tapeSpeedRatio) {
    return static_cast<double>(pos - info.headerSize) / static_cast<double>(BytesPerSecond(info)) *
           tapeSpeedRatio;
}

} // namespace ondrix
