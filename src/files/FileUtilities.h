// The file utilities: split a stereo WAV or a raw four-channel file into mono WAVs, cut a span of minutes
// out of a WAV, convert a 32-bit EXT file into a 16-bit WAV. Every output is a new 16-bit PCM WAV.
#pragma once

#include "files/SoundFileFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

// What a utility did: the files written, or the error ("Cannot read …", "Cannot write …").
struct UtilityResult {
    std::vector<std::string> outputs;
    std::string error;
    bool Ok() const { return error.empty(); }
};

// The name of an output: the input without its last four characters (".wav") + the suffix.
std::string UtilityOutputName(const std::string& input, const std::string& suffix);

// name + " ch1.wav" (left) and name + " ch2.wav" (right), mono at the input's rate; only a 16-bit stereo
// WAV is taken.
UtilityResult SplitStereo(const std::string& input, const FileFormatSettings& formats);
// A headerless file of four interleaved 16-bit channels into name + " ch1.wav" … " ch4.wav" at `rate`;
// an incomplete last frame is left out.
UtilityResult SplitFourChannels(const std::string& input, int rate);
// name + " - cut" + start (leading blank) + ".wav": `minutes` whole minutes from `startMinute`, or what
// the input holds of them, of a 16-bit WAV; a start at or beyond the end writes nothing.
UtilityResult ExtractCut(const std::string& input, const FileFormatSettings& formats, int64_t startMinute,
                         int64_t minutes);

// An EXT file's conversion factor: 2^(round(log2(M \ 32768)) + 1) for the largest magnitude M; 1 when M is
// below 32768.
int64_t OptimalExtFactor(int64_t largestMagnitude);
struct ExtConversion {
    UtilityResult result;
    int64_t factor = 1; // the factor used: the optimal one
};
// The name an EXT file converts to: "wav" for the last three characters.
std::string ExtOutputName(const std::string& input);
// The 32-bit values after `headerSkip` bytes divided by the optimal factor into the WAV of ExtOutputName,
// mono at 6000 samples/s whatever the file's rate.
ExtConversion ConvertExt(const std::string& input, int64_t headerSkip);

// Any file the program reads (DAP, M/S, KAY, EARS, …) as a 16-bit WAV of its channels and rate, named as
// the input with ".wav" for its extension.
std::string ConvertedName(const std::string& input);
UtilityResult ConvertToWav(const std::string& input, const FileFormatSettings& formats);

} // namespace ondrix
