// What the column chain is told once per session, what it is told for every column, and what it reports.
#pragma once

#include "analysis/RealFft.h"
#include "analysis/SpectrumAveraging.h"

#include <string>

namespace ondrix {

enum class AmplitudeScale { Decibel = 0, Linear = 1 };

// Read once when a session starts; the chain clamps them to its capacities (see ColumnChain).
struct ColumnChainSetup {
    int fftSize = 1024;    // a power of two, 2..16384
    int windowSize = 1024; // 1..fftSize; shorter frames are zero-padded
    int windowType = 1;    // WindowType
    int scanStep = 256;    // hop between frames; sets the stretch of the level check
    bool derivative = false;
    bool smooth = false;
    bool cepstrum = false;
    AveragingMode averaging = AveragingMode::Off;
    float averagingCoefficient = 0.99f;
    FftPlanning planning = FftPlanning::Estimate;
};

// Read again for every column, so the user can change them while a run goes on.
struct ColumnControls {
    int rows = 256;      // display rows R; R <= 0 computes no spectrum
    bool direct = true;  // zoom flag Z: row j is bin zoomBase + j; otherwise row j holds c bins from j * c
    int zoomBase = 0;    // b0
    int compression = 1; // c
    int colourShift = 0;
    AmplitudeScale amplitudeScale = AmplitudeScale::Decibel;
};

// What one column reports besides its display values.
struct ColumnResult {
    bool overloaded = false; // a sample of the examined stretch beyond +-32000
    float minSample = 0.0f;  // extremes of the examined stretch
    float maxSample = 0.0f;
    int lowMark = 40; // level marks of the display: round(min / 1024 + 40), round(max / 1024 + 41)
    int highMark = 41;
    int rows = 0;           // display rows computed (0 when R <= 0)
    float linearMin = 0.0f; // linear scale: extremes of rows 0..R, both starting from 0
    float linearMax = 0.0f;
};

// The status text of a column in the linear scale: the text of its minimum followed by that of its
// maximum, each with its leading blank (" 0 50176").
std::string LinearRangeText(const ColumnResult& result);

// The FFT length a session runs with for an "FFT size" setting: limited to 2..16384 and rounded down to
// a power of two (a typed 1536 runs as 1024). The chain, the zoom caption and range and the frequency
// readouts all take their FFT length from here, so what is shown is what is computed.
int EffectiveFftSize(int fftSizeSetting);

// Hz per bin of an FFT of fftSize samples after the tape-speed and frequency-division corrections; 0
// when undefined.
double BinWidth(double sampleRate, int fftSize, double tapeSpeedRatio, double frequencyDivisionRatio);

// Z: rows map one-to-one onto bins unless the FFT has more than twice as many bins as there are rows,
// in which case the zoom check box decides.
bool DirectRows(int fftSize, int displayRows, bool zoomFlag);

// c = round(fftSize / displayRows / 2), halves to even, at least 1.
int CompressionFactor(int fftSize, int displayRows);

} // namespace ondrix
