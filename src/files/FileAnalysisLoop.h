// The file-analysis loop (task 4): one screenful of the current file is analysed and drawn whenever its
// position changes; an unchanged position costs nothing.
#pragma once

#include "analysis/BlockConditioner.h"
#include "analysis/ColumnChain.h"
#include "analysis/StreamFrames.h"
#include "files/CurrentFile.h"
#include "files/FilePageChannels.h"
#include "files/SoundFileReader.h"
#include "settings/LoopRegistry.h"
#include "settings/Session.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

class Interaction;
class SettingsModel;
class SpectrogramRenderer;
class SpectrumAveraging;
class TaskController;

// Where a run hands on its pages and columns. Unset hooks do nothing.
struct FileAnalysisHooks {
    std::function<void()> pictureChanged; // once per page drawn
    // Detection: the tracker gets every column with its display column in the page while "Track" is
    // checked and answers the row to mark (-1 none); logs are opened at set-up and closed at clean-up.
    // File analysis has no trigger.
    std::function<int(int64_t columnInPage, std::span<const float> column)> track;
    std::function<void()> openDetectionLogs;
    std::function<void()> closeDetectionLogs;
    // The spectrum window, when "Enable SpecForm" is set at the start of the run.
    std::function<void(std::span<const float> column)> plotSpectrum;
    // The markers of the file (its full path), loaded and shown at set-up.
    std::function<void(const std::string& fileName)> loadMarkers;
    // Every column drawn: its display column in the page (0 .. W - 1) and its values, rows from the bottom.
    std::function<void(int64_t columnInPage, std::span<const float> values)> columnValues;
};

// What the last run measured and derived; kept after it stops.
struct FileAnalysisStatus {
    double binWidth = 0.0;   // Hz per FFT bin
    double columnMs = 0.0;   // ms per column
    std::string channelMode; // "M", "L", "R", "L+R", "L-R"; "4CH" for four channels
    int64_t pages = 0;       // pages drawn in the run
    int64_t overloads = 0;
};

struct FileAnalysisContext {
    SettingsModel& settings;
    TaskController& tasks;
    Interaction& interaction;
    SpectrogramRenderer& renderer;
    SpectrumAveraging& averaging;
    CurrentFile& file;
    FileAnalysisHooks hooks{};
    // Off: a page starts exactly where filePos says, even in the last screenful (page k of an export at
    // headerSize + k x frameBytes).
    bool clampToLastFrame = true;
    FileFormatSettings formats{}; // read from the Advanced Settings at set-up
    FileAnalysisStatus status{};
    uint32_t ditherSeed = 1; // every page starts its dither from this seed
};

// A page is a pure function of the file, the settings and the position: the analysis history, the dither
// and the averaging memories start afresh on every page, so the same position draws the same pixels.
// Four-channel files are drawn as four traces stacked in the rows, channel 1 at the bottom.
class FileAnalysisLoop : public Session {
public:
    static constexpr int kMaxTraces = 4;

    explicit FileAnalysisLoop(FileAnalysisContext& context);
    ~FileAnalysisLoop() override;

    void SetUp() override;
    PassResult Pass() override;
    void CleanUp() override;

    // Set-up results, for tests and readouts.
    int BlockSize() const { return blockSize_; }
    int FftSize() const { return fftSize_; }
    int ScanStep() const { return scanStep_; }
    int Traces() const { return traces_; }
    // The display column of the first column a page computes: 1 - round(FFT size / scan step), at most 0.
    int StartColumn() const { return startColumn_; }

private:
    struct Trace {
        std::unique_ptr<ColumnChain> chain;
        std::unique_ptr<StreamFrames> frames;
        std::unique_ptr<BlockConditioner> conditioner;
        std::unique_ptr<SpectrumAveraging> ownAveraging; // traces 2..4; trace 1 uses the program's
        std::vector<int16_t> samples;                    // one block of the trace's channel
    };

    bool CheckFile();
    void ReadSettings();
    void ShowFile();
    bool DrawPage();
    void StartPage();
    void SplitBlock(std::span<const int16_t> frames, int64_t count);
    void DrawColumns(int64_t& x);
    void BlankFrom(int64_t x);
    void ShowPosition();

    FileAnalysisContext& context_;
    SoundFileInfo info_{};
    std::string path_;
    SoundFileReader reader_;
    bool ready_ = false; // set-up completed: passes draw pages
    bool drawing_ = false;
    bool logsOpen_ = false;

    int traces_ = 1;
    int channels_ = 1;
    StereoChoice stereo_ = StereoChoice::Stereo;
    int blockSize_ = 0;
    int fftSize_ = 0;
    int windowSize_ = 0;
    int windowType_ = 0;
    int scanStep_ = 0;
    int rows_ = 0;
    int traceRows_ = 0;
    int width_ = 0;
    int startColumn_ = 0;
    bool spectrumWindow_ = false;
    AveragingMode averaging_ = AveragingMode::Off;
    DitherType dither_ = DitherType::None;
    double ditherAmplitude_ = 0.0;

    std::array<Trace, kMaxTraces> trace_;
    std::vector<int16_t> raw_;    // one block of interleaved frames
    std::vector<float> combined_; // the stacked column of four traces
    std::vector<float> floor_;    // the values of a blank column
};

// Registers the loop in the task 4 slot; the context must outlive the registry's use of it.
void RegisterFileAnalysisLoop(LoopRegistry& loops, FileAnalysisContext& context);

} // namespace ondrix
