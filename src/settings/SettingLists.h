// List entries that the Quick Settings panel and the Basic Settings window share.
#pragma once

#include <string>
#include <vector>

namespace ondrix::lists {

inline std::vector<std::string> BlockSizes() {
    return {"1024", "2048", "4096", "8192", "16384", "32768", "65536", "131072"};
}

inline std::vector<std::string> SampleRates() {
    return {"8000", "16000", "32000", "48000", "96000", "192000", "200000", "250000", "22050", "44100"};
}

inline std::vector<std::string> FFTSizes() {
    return {"256", "512", "1024", "2048", "4096", "8192", "16384"};
}

inline std::vector<std::string> WindowSizes() {
    return {"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192", "16384"};
}

inline std::vector<std::string> WindowTypes() {
    return {"Linear", "Hanning", "Hamming", "Kaiser-Bessel", "Gaussian"};
}

// The Basic Settings list; the Quick Settings list adds 240 and 480.
inline std::vector<std::string> ScanSteps() {
    return {"2",    "4",    "8",    "16",   "32",    "64",  "128", "256", "512",
            "1024", "2048", "4096", "8192", "16384", "192", "384", "768"};
}

inline std::vector<std::string> DisplayHeights() {
    return {"128", "160", "200", "224", "240", "256", "512"};
}

// The Quick Settings list; the Basic Settings list adds "160 Mbytes".
inline std::vector<std::string> RamBufferSizes() {
    return {"off",       "4 Mbytes",  "8 Mbytes",   "12 Mbytes",  "16 Mbytes", "32 Mbytes",
            "64 Mbytes", "96 Mbytes", "128 Mbytes", "192 Mbytes", "256 Mbytes"};
}

} // namespace ondrix::lists
