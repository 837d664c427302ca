#include "files/FileUtilities.h"

#include "common/FileAccess.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "files/SoundFileReader.h"
#include "recording/NewWavFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace ondrix {

namespace {

constexpr std::size_t kChunkValues = 1024;
constexpr int kExtRate = 6000;

// The outputs of a utility, all finished or none left behind.
class Outputs {
public:
    Outputs(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            files_.push_back(std::make_unique<NewWavFile>(path));
        }
    }
    NewWavFile& operator[](std::size_t i) { return *files_[i]; }
    UtilityResult Finish(int channels, uint32_t rate) {
        UtilityResult result;
        for (auto& file : files_) {
            if (!file->Finish(channels, rate) && result.Ok()) {
                result.error = "Cannot write " + file->Path();
            }
            result.outputs.push_back(file->Path());
        }
        return result;
    }

private:
    std::vector<std::unique_ptr<NewWavFile>> files_;
};

UtilityResult CannotRead(const std::string& input) {
    return {.outputs = {}, .error = "Cannot read " + input};
}

UtilityResult Refused(const std::string& input, const std::string& why) {
    return {.outputs = {}, .error = input + why};
}

// The samples of a recognised file from `position`, at most `frames` frames (all when negative), into the
// output; false on a read error.
bool CopyFrames(SoundFileReader& reader, const SoundFileInfo& info, int64_t position, int64_t frames,
                NewWavFile& output) {
    std::vector<int16_t> chunk(static_cast<std::size_t>(std::max(info.sampleRate, 1)) *
                               static_cast<std::size_t>(info.channels));
    const int64_t perChunk = std::max(info.sampleRate, 1);
    for (int64_t left = frames < 0 ? INT64_MAX : frames; left > 0 && position < info.dataEnd;) {
        const auto want = static_cast<std::size_t>(std::min(left, perChunk) * info.channels);
        const int64_t got = reader.Read(position, std::span<int16_t>(chunk).first(want));
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        position = reader.NextPosition();
        left -= got;
        output.Append(std::span<const int16_t>(chunk).first(static_cast<std::size_t>(got * info.channels)));
    }
    return true;
}

// Reads a whole file in chunks of 16-bit or 32-bit little-endian values; `take` gets each chunk's values.
// False on a read error.
template <class Value, class Take> bool ReadValues(const std::string& path, Take take, int64_t offset = 0) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::array<Value, kChunkValues> chunk{};
    int64_t got = 0;
    while ((got = ReadUpTo(fd, chunk.data(), sizeof chunk, offset)) > 0) {
        offset += got;
        take(std::span<const Value>(chunk.data(), static_cast<std::size_t>(got) / sizeof(Value)));
    }
    close(fd);
    return got == 0;
}

} // namespace

std::string UtilityOutputName(const std::string& input, const std::string& suffix) {
    return input.substr(0, input.size() >= 4 ? input.size() - 4 : 0) + suffix;
}

UtilityResult SplitStereo(const std::string& input, const FileFormatSettings& formats) {
    const SoundFileInfo info = DetectFileType(input, formats);
    if (info.type != kFileWav16 || info.channels != 2) {
        return Refused(input, " is not a 16-bit stereo WAV file");
    }
    SoundFileReader reader;
    if (!reader.Open(input, info, formats)) {
        return CannotRead(input);
    }
    Outputs outputs({UtilityOutputName(input, " ch1.wav"), UtilityOutputName(input, " ch2.wav")});
    std::array<int16_t, kChunkValues> chunk{};
    std::array<std::array<int16_t, kChunkValues / 2>, 2> sides{};
    int64_t position = info.headerSize;
    int64_t frames = 0;
    while ((frames = reader.Read(position, chunk)) > 0) {
        position = reader.NextPosition();
        const auto count = static_cast<std::size_t>(frames);
        for (std::size_t i = 0; i < count; ++i) {
            sides[0][i] = chunk[2 * i];
            sides[1][i] = chunk[2 * i + 1];
        }
        outputs[0].Append(std::span<const int16_t>(sides[0]).first(count));
        outputs[1].Append(std::span<const int16_t>(sides[1]).first(count));
    }
    if (frames < 0) {
        return CannotRead(input);
    }
    return outputs.Finish(1, static_cast<uint32_t>(info.sampleRate));
}

UtilityResult SplitFourChannels(const std::string& input, int rate) {
    Outputs outputs({UtilityOutputName(input, " ch1.wav"), UtilityOutputName(input, " ch2.wav"),
                     UtilityOutputName(input, " ch3.wav"), UtilityOutputName(input, " ch4.wav")});
    std::array<std::array<int16_t, kChunkValues / 4>, 4> channels{};
    // A chunk of whole frames: 2048 bytes hold 256 frames; a last partial frame is dropped.
    const bool read = ReadValues<int16_t>(input, [&](std::span<const int16_t> values) {
        const std::size_t frames = values.size() / 4;
        for (std::size_t i = 0; i < frames; ++i) {
            for (std::size_t c = 0; c < 4; ++c) {
                channels[c][i] = values[4 * i + c];
            }
        }
        for (std::size_t c = 0; c < 4; ++c) {
            outputs[c].Append(std::span<const int16_t>(channels[c]).first(frames));
        }
    });
    if (!read) {
        return CannotRead(input);
    }
    return outputs.Finish(1, static_cast<uint32_t>(std::max(rate, 1)));
}

UtilityResult ExtractCut(const std::string& input, const FileFormatSettings& formats, int64_t startMinute,
                         int64_t minutes) {
    const SoundFileInfo info = DetectFileType(input, formats);
    if (info.type != kFileWav16) {
        return Refused(input, " is not a 16-bit WAV file");
    }
    const int64_t framesPerMinute = int64_t{60} * info.sampleRate;
    const int64_t frames = (info.dataEnd - info.headerSize) / std::max<int64_t>(info.frameAlign, 1);
    if (startMinute < 0 || minutes < 1 || startMinute > frames / std::max<int64_t>(framesPerMinute, 1) ||
        startMinute * framesPerMinute >= frames) {
        return Refused(input, " has nothing to cut from minute" +
                                  NumberText(static_cast<double>(startMinute)) + " for" +
                                  NumberText(static_cast<double>(minutes)) + " minutes");
    }
    SoundFileReader reader;
    if (!reader.Open(input, info, formats)) {
        return CannotRead(input);
    }
    Outputs outputs(
        {UtilityOutputName(input, " - cut" + NumberText(static_cast<double>(startMinute)) + ".wav")});
    if (!CopyFrames(reader, info, info.headerSize + startMinute * framesPerMinute * info.frameAlign,
                    minutes * framesPerMinute, outputs[0])) {
        return CannotRead(input);
    }
    return outputs.Finish(info.channels, static_cast<uint32_t>(info.sampleRate));
}

int64_t OptimalExtFactor(int64_t largestMagnitude) {
    const int64_t quotient = largestMagnitude / 32768;
    if (quotient < 1) {
        return 1;
    }
    return int64_t{1} << (std::lround(std::log2(static_cast<double>(quotient))) + 1);
}

std::string ExtOutputName(const std::string& input) {
    return input.substr(0, input.size() >= 3 ? input.size() - 3 : 0) + "wav";
}

ExtConversion ConvertExt(const std::string& input, int64_t headerSkip) {
    ExtConversion conversion;
    headerSkip = std::max<int64_t>(headerSkip, 0);
    int64_t largest = 0;
    const bool measured = ReadValues<int32_t>(
        input,
        [&](std::span<const int32_t> values) {
            for (const int32_t v : values) {
                largest = std::max(largest, std::abs(int64_t{v}));
            }
        },
        headerSkip);
    if (!measured) {
        conversion.result = CannotRead(input);
        return conversion;
    }
    conversion.factor = OptimalExtFactor(largest);
    Outputs outputs({ExtOutputName(input)});
    std::array<int16_t, kChunkValues> converted{};
    const bool read = ReadValues<int32_t>(
        input,
        [&](std::span<const int32_t> values) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                converted[i] =
                    static_cast<int16_t>(std::clamp<int64_t>(values[i] / conversion.factor, -32768, 32767));
            }
            outputs[0].Append(std::span<const int16_t>(converted).first(values.size()));
        },
        headerSkip);
    conversion.result = read ? outputs.Finish(1, kExtRate) : CannotRead(input);
    return conversion;
}

std::string ConvertedName(const std::string& input) {
    const std::string name = FileNameOfPath(input);
    const std::size_t dot = name.rfind('.');
    return input.substr(0, input.size() - (dot == std::string::npos ? 0 : name.size() - dot)) + ".wav";
}

UtilityResult ConvertToWav(const std::string& input, const FileFormatSettings& formats) {
    if (ConvertedName(input) == input) {
        return Refused(input, " is a WAV file already");
    }
    const SoundFileInfo info = DetectFileType(input, formats);
    SoundFileReader reader;
    if (info.type == kFileUnsupported || info.channels < 1 || !reader.Open(input, info, formats)) {
        return info.message.empty() ? CannotRead(input) : Refused(input + ": ", info.message);
    }
    Outputs outputs({ConvertedName(input)});
    if (!CopyFrames(reader, info, info.headerSize, -1, outputs[0])) {
        return CannotRead(input);
    }
    return outputs.Finish(info.channels, static_cast<uint32_t>(info.sampleRate));
}

} // namespace ondrix
