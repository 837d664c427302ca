// The names the program goes by: its title texts, the extensions of its files and the splash credits.
#pragma once

#include <string_view>

namespace ondrix {

inline constexpr std::string_view kProductName = "Ondrix";
inline constexpr std::string_view kVersionTitle = "Ondrix 2.0j";
inline constexpr std::string_view kWindowCaption = "Ondrix 2.0j Real-Time Spectrograph";
// The control-state file of the program folder is named after the program: "ondrix" + ".ini".
inline constexpr std::string_view kProgramName = "ondrix";
inline constexpr std::string_view kManualFileName = "Ondrix_manual.html";
inline constexpr std::string_view kSettingsExtension = ".ini";
inline constexpr std::string_view kSoundExtension = ".wav";

// The credits of the splash window, one line each.
inline constexpr std::string_view kCreditsText = "Ondrix 2.0j Real-Time Spectrograph\n"
                                                 "for field bioacoustics\n"
                                                 "\n"
                                                 "by the Ondrix developers\n"
                                                 "Spectra computed with FFTW (www.fftw.org)\n"
                                                 "Sound through PortAudio (www.portaudio.com)";

} // namespace ondrix
