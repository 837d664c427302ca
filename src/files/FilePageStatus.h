// The texts a file loop shows about its file.
#pragma once

#include "files/SoundFileFormat.h"

#include <optional>
#include <string>

namespace ondrix {

// The file as the status label names it: the full path, or "..\" + the name without folder when the
// path is 97 characters or longer.
std::string FileLabelName(const std::string& path);

// The status label of a run: name + size in kB + "kb" + rate + "s/sec" + channels + "ch (" + mode +
// ")  Tot " + total duration + " 16bit", numbers with their leading blank. The size is FileSize / 1024
// rounded; the duration is FileSize over the stored bytes per second.
std::string FileRunStatusText(const std::string& path, const SoundFileInfo& info, const std::string& mode);

// "16bit", "32bitPCM" or "32bitFloat"; nothing for a type the loops cannot read.
std::optional<std::string> SampleFormatText(const SoundFileInfo& info);

} // namespace ondrix
