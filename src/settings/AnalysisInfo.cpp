#include "settings/AnalysisInfo.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "settings/WindowTypes.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

namespace {

// A shown value: anything that is not a finite number shows as 0.
double Shown(double value) {
    return std::isfinite(value) ? value : 0.0;
}

double Quotient(double numerator, double denominator) {
    return denominator == 0.0 ? 0.0 : Shown(numerator / denominator);
}

std::string Number(double value) {
    return NumberText(Shown(value));
}

// RoundTo of a quotient, guarded.
std::string Rounded(double numerator, double denominator, int decimals) {
    return Number(RoundTo(Quotient(numerator, denominator), decimals));
}

} // namespace

std::vector<std::string> AnalysisInfoLines(const AnalysisInfoInput& in) {
    const double fs = in.sampleRate;
    const double n = in.fftSize;
    const double w = in.windowSize;
    const double s = in.scanStep;
    // The factor is a single-precision value; the products are taken in double precision.
    const double k = WindowBandwidthFactor(in.windowTypeIndex);

    std::vector<std::string> lines;
    lines.push_back("Sampling rate " + Number(fs) + " samples/sec  Channels " + Number(in.channelCount));
    lines.push_back("FFT size " + Number(n) + " = " + Rounded(1000.0 * n, fs, 3) + " msec");
    lines.push_back("Window Size " + Number(w) + " = " + Rounded(1000.0 * w, fs, 3) + " msec   Type " +
                    std::string(in.windowTypeText));
    lines.push_back("Frequency resolution " + Rounded(fs, n, 3) + "  Bandwidth " + Rounded(k * fs, w, 3) +
                    " Hz");
    std::string step = "Scan Step " + Number(s) + " = " + Rounded(1000.0 * s, fs, 3) + " msec";
    if (s <= w) {
        step += "   Overlap " + Number(Quotient((w - s) * 100.0, w)) + "%";
    } else {
        step += "   Skip " + Number(s - w) + " samples every " + Number(w);
    }
    lines.push_back(step);
    lines.push_back("FFT x sec " + Rounded(fs, s, 3) + " x channel");
    return lines;
}

std::string RecDurationText(double maxMegabytes, double sampleRate, double channelCount) {
    double seconds = RoundTo(Quotient(maxMegabytes * 1024.0 * 1024.0, 2.0 * sampleRate * channelCount), 1);
    // Keep the clock text within its integer range; a negative duration shows as 0.
    seconds = std::clamp(Shown(seconds), 0.0, 1e15);
    return "= " + SecondsToClock(seconds);
}

} // namespace ondrix
