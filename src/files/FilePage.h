// The geometry of a file page: its length in bytes, where a page may start, and the time of a position.
#pragma once

#include "files/SoundFileFormat.h"

#include <cstdint>

namespace ondrix {

class ControlModel;
class SettingsModel;

// The scan step a run uses, from the Quick Settings: at least 1, and never longer than the block (a
// typed block is first limited to the largest block a loop takes).
int FileScanStep(const ControlModel& form);

// FrameBytes: the stored bytes of one screenful, width x scan step x channels x stored bytes per sample,
// at least channels x 32. Counting the stored bytes makes pages of 32-bit files tile like 16-bit ones.
int64_t FrameBytesOf(int width, int scanStep, const SoundFileInfo& info);
// The same from the current settings: what the loop will use when it starts.
int64_t FrameBytesFromSettings(const SettingsModel& settings, int width, const SoundFileInfo& info);

// The nearest page start at or before pos: headerSize + k x frameAlign (k may be negative).
int64_t AlignFilePos(int64_t pos, const SoundFileInfo& info);
// The two limits of a page start: not before the header, and, with clampToLastFrame, not beyond the start
// of the last full screenful (dataEnd - frameBytes, aligned; the header when the data is shorter).
int64_t ClampFilePos(int64_t pos, int64_t frameBytes, const SoundFileInfo& info, bool clampToLastFrame);

// Stored bytes of one second of the file (all channels).
int64_t BytesPerSecond(const SoundFileInfo& info);
// The time of a position from the start of the data, scaled by the tape speed ratio.
double SecondsAtPos(int64_t pos, const SoundFileInfo& info, double tapeSpeedRatio);

} // namespace ondrix
