#include "files/FileAnalysisLoop.h"

#include "analysis/LoopControls.h"
#include "analysis/RealTimeLoop.h"
#include "common/Clock.h"
#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "display/LayoutRefresh.h"
#include "display/SpectrogramRenderer.h"
#include "files/DaytimeStamp.h"
#include "files/FilePage.h"
#include "files/FilePageStatus.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ondrix {

namespace {

// Level marks of a silent frame: round(0 / 1024 + 40), round(0 / 1024 + 41).
constexpr int kSilentLow = 40;
constexpr int kSilentHigh = 41;

} // namespace

FileAnalysisLoop::FileAnalysisLoop(FileAnalysisContext& context) : context_(context) {}

FileAnalysisLoop::~FileAnalysisLoop() = default;

void FileAnalysisLoop::SetUp() {
    CurrentFile& file = context_.file;
    if (file.info.type == kFileEars) {
        context_.interaction.ShowMessage("For detailed file analysis convert EARS to WAV",
                                         MessageIcon::Information);
    }
    if (!file.IsOpen() || !CheckFile()) {
        context_.tasks.SetSessionStopped(true);
        return;
    }
    ReadSettings();
    file.frameBytes = FrameBytesOf(width_, scanStep_, info_);
    if (file.filePos == 0) {
        file.filePos = info_.headerSize;
    }
    if (!reader_.Open(path_, info_, context_.formats)) {
        context_.interaction.ShowMessage("File System Error", MessageIcon::Critical);
        context_.tasks.SetSessionStopped(true);
        return;
    }
    file.filePos = ClampFilePos(file.filePos, file.frameBytes, info_, context_.clampToLastFrame);
    // No page is drawn yet: any position differs from this one, a headerless file's 0 included.
    file.lastPos = CurrentFile::kNoPage;
    ShowFile();
    if (context_.hooks.loadMarkers) {
        context_.hooks.loadMarkers(path_);
    }
    if (context_.hooks.openDetectionLogs) {
        context_.hooks.openDetectionLogs();
        logsOpen_ = true;
    }
    context_.status.pages = 0;
    context_.status.overloads = 0;
    ready_ = true;
}

// The run captures the file as it is now; files the loops cannot read end it with a message.
bool FileAnalysisLoop::CheckFile() {
    const CurrentFile& file = context_.file;
    path_ = file.name;
    info_ = file.info;
    context_.formats = FileFormatSettingsFrom(context_.settings.Options1());
    const std::optional<std::string> format = SampleFormatText(info_);
    if (!format || info_.channels > kMaxTraces) {
        context_.interaction.ShowMessage("Unknown file type", MessageIcon::Exclamation);
        return false;
    }
    channels_ = info_.channels;
    traces_ = channels_ == kMaxTraces ? kMaxTraces : 1;
    context_.settings.Form1().SetText("Label18", *format);
    return true;
}

// The settings as the real-time loop reads them, with its clamps written back to the lists.
void FileAnalysisLoop::ReadSettings() {
    SettingsModel& settings = context_.settings;
    ControlModel& form = settings.Form1();
    const ControlModel& advanced = settings.Options1();
    form.SetVisible("Frame4CH", traces_ == kMaxTraces);
    stereo_ = StereoChoiceFrom(settings.Options0());
    context_.status.channelMode = traces_ == kMaxTraces ? "4CH" : ChannelModeText(channels_, stereo_);

    blockSize_ = form.IntValue("BlockSize");
    settings.PublicSettings();
    windowSize_ = form.IntValue("WindowSize");
    windowType_ = std::abs(form.ListIndex("WindowType"));
    scanStep_ = std::max(form.IntValue("ScanStep"), 1);
    rows_ = std::clamp(form.IntValue("Combo7"), 1, kMaxDisplayHeight);
    traceRows_ = std::max(rows_ / traces_, 1);
    averaging_ = SelectedAveraging(advanced);
    dither_ = SelectedDither(advanced);
    ditherAmplitude_ = advanced.Value("txtDither");

    const ColumnChainSetup setup =
        ChainSetupFrom(advanced, settings.Analysis().fftSize, windowSize_, windowType_, scanStep_);
    for (int t = 0; t < traces_; ++t) {
        Trace& trace = trace_[static_cast<std::size_t>(t)];
        SpectrumAveraging* averaging = &context_.averaging;
        if (t > 0) {
            trace.ownAveraging = std::make_unique<SpectrumAveraging>();
            averaging = trace.ownAveraging.get();
        }
        trace.chain = std::make_unique<ColumnChain>(setup, *averaging);
    }
    fftSize_ = trace_[0].chain->Setup().fftSize;
    windowSize_ = trace_[0].chain->Setup().windowSize;
    LimitRunSizes(form, blockSize_, scanStep_, fftSize_);
    startColumn_ = std::min(1 - RoundToInt32(static_cast<double>(fftSize_) / scanStep_), 0);
    spectrumWindow_ = settings.Options2().Checked("SpecFormCheck") && context_.hooks.plotSpectrum;

    const AnalysisSettings& analysis = settings.Analysis();
    const double rate = std::max(info_.sampleRate, 1);
    context_.status.binWidth =
        BinWidth(rate, fftSize_, analysis.tapeSpeedRatio, analysis.frequencyDivisionRatio);
    context_.status.columnMs = scanStep_ * 1000.0 / rate * analysis.tapeSpeedRatio;

    settings.UpdateForm();
    width_ = context_.renderer.Width();
    // A page goes straight onto the picture, so every page appears whole and from its first column.
    context_.renderer.BeginSession(RunRendererSession(advanced, rows_, false));
    drawing_ = true;

    raw_.assign(static_cast<std::size_t>(blockSize_) * static_cast<std::size_t>(channels_), 0);
    for (int t = 0; t < traces_; ++t) {
        trace_[static_cast<std::size_t>(t)].samples.assign(static_cast<std::size_t>(blockSize_), 0);
    }
    combined_.assign(static_cast<std::size_t>(rows_), 0.0f);
    floor_.assign(static_cast<std::size_t>(rows_), 0.0f);
}

// The start time and the status label of the run.
void FileAnalysisLoop::ShowFile() {
    ShowPosition();
    context_.settings.Form1().SetText("Label4", FileRunStatusText(path_, info_, context_.status.channelMode));
}

// The time of the page and its time of day.
void FileAnalysisLoop::ShowPosition() {
    CurrentFile& file = context_.file;
    ControlModel& form = context_.settings.Form1();
    file.elapsedSeconds = SecondsAtPos(file.filePos, info_, context_.settings.Analysis().tapeSpeedRatio);
    form.SetText("Label3", SecondsToClock(file.elapsedSeconds));
    form.SetText("StatusLine",
                 DaytimeText(FileNameOfPath(path_), context_.settings.Options0().Text("TimeTag"),
                             file.elapsedSeconds));
}

PassResult FileAnalysisLoop::Pass() {
    if (!ready_) {
        return PassResult::Idle;
    }
    CurrentFile& file = context_.file;
    file.filePos = ClampFilePos(file.filePos, file.frameBytes, info_, context_.clampToLastFrame);
    if (file.filePos == file.lastPos) {
        return PassResult::Idle;
    }
    if (!DrawPage()) {
        context_.interaction.ShowMessage("File System Error", MessageIcon::Critical);
        context_.tasks.SetSessionStopped(true);
    }
    return PassResult::Busy;
}

// Reads the page block by block from its start and draws its columns until the picture is full or the
// data ends; what the data does not reach is blanked. False on a read error.
bool FileAnalysisLoop::DrawPage() {
    CurrentFile& file = context_.file;
    file.lastPos = file.filePos;
    ShowPosition();
    StartPage();
    const BlockControls blockControls = ReadBlockControls(context_.settings.Form1());
    int64_t x = startColumn_;
    int64_t position = file.filePos;
    while (x < width_ && !context_.tasks.SessionStopped()) {
        const int64_t count = reader_.Read(position, raw_);
        if (count < 0) {
            return false;
        }
        if (count == 0) {
            break;
        }
        position = reader_.NextPosition(); // EARS positions step over the record headers
        SplitBlock(raw_, count);
        for (int t = 0; t < traces_; ++t) {
            Trace& trace = trace_[static_cast<std::size_t>(t)];
            const std::span<int16_t> fresh = trace.frames->Append(
                std::span<const int16_t>(trace.samples).first(static_cast<std::size_t>(count)));
            const std::optional<int16_t> mean = trace.conditioner->condition(fresh, blockControls);
            if (mean && t == 0) {
                context_.settings.Form1().SetText("Label7", NumberText(*mean));
            }
        }
        DrawColumns(x);
        if (count < blockSize_) {
            break;
        }
    }
    BlankFrom(x);
    ++context_.status.pages;
    int64_t overloads = 0;
    for (int t = 0; t < traces_; ++t) {
        overloads += trace_[static_cast<std::size_t>(t)].chain->OverloadCount();
    }
    context_.status.overloads = overloads;
    context_.settings.Form1().SetText("L25", BareNumberText(static_cast<double>(overloads)));
    if (context_.hooks.pictureChanged) {
        context_.hooks.pictureChanged();
    }
    return true;
}

// Every page starts from silence: empty history, fresh dither and averaging memories, column 0.
void FileAnalysisLoop::StartPage() {
    for (int t = 0; t < traces_; ++t) {
        Trace& trace = trace_[static_cast<std::size_t>(t)];
        trace.frames = std::make_unique<StreamFrames>(fftSize_, scanStep_, blockSize_);
        trace.conditioner =
            std::make_unique<BlockConditioner>(dither_, ditherAmplitude_, context_.ditherSeed);
        if (averaging_ != AveragingMode::Off) {
            (t == 0 ? context_.averaging : *trace.ownAveraging) = SpectrumAveraging();
        }
    }
    context_.renderer.SetX(0);
}

void FileAnalysisLoop::SplitBlock(std::span<const int16_t> frames, int64_t count) {
    const std::span<const int16_t> read = frames.first(static_cast<std::size_t>(count * channels_));
    if (traces_ == 1) {
        ReduceToMono(read, channels_, stereo_, trace_[0].samples);
        return;
    }
    for (int t = 0; t < traces_; ++t) {
        TakeChannel(read, channels_, t, trace_[static_cast<std::size_t>(t)].samples);
    }
}

// Computes every column whose frames are complete in all traces; columns before display column 0 only
// fill the history.
void FileAnalysisLoop::DrawColumns(int64_t& x) {
    const ColumnControls controls = ReadColumnControls(context_.settings, fftSize_, traceRows_);
    const bool tracking = context_.settings.Form1().Checked("Check2") && context_.hooks.track;
    std::array<std::span<const int16_t>, kMaxTraces> frame{};
    ColumnResult last;
    while (x < width_) {
        bool complete = true;
        for (int t = 0; t < traces_ && complete; ++t) {
            complete =
                trace_[static_cast<std::size_t>(t)].frames->NextFrame(frame[static_cast<std::size_t>(t)]);
        }
        if (!complete) {
            break;
        }
        ColumnResult result = trace_[0].chain->Compute(frame[0], controls);
        std::span<const float> values = trace_[0].chain->Column();
        if (traces_ > 1) {
            const std::size_t rows = static_cast<std::size_t>(traceRows_);
            std::copy_n(values.begin(), rows, combined_.begin());
            for (int t = 1; t < traces_; ++t) {
                ColumnChain& chain = *trace_[static_cast<std::size_t>(t)].chain;
                const ColumnResult more = chain.Compute(frame[static_cast<std::size_t>(t)], controls);
                std::copy_n(chain.Column().begin(), rows,
                            combined_.begin() + static_cast<std::ptrdiff_t>(t * rows));
                result.overloaded = result.overloaded || more.overloaded;
                result.minSample = std::min(result.minSample, more.minSample);
                result.maxSample = std::max(result.maxSample, more.maxSample);
                result.lowMark = std::min(result.lowMark, more.lowMark);
                result.highMark = std::max(result.highMark, more.highMark);
                result.linearMin = std::min(result.linearMin, more.linearMin);
                result.linearMax = std::max(result.linearMax, more.linearMax);
            }
            values = std::span<const float>(combined_).first(rows * static_cast<std::size_t>(traces_));
        }
        if (x >= 0) {
            if (spectrumWindow_) {
                context_.hooks.plotSpectrum(values);
            }
            context_.renderer.SetTrackingRow(tracking ? context_.hooks.track(x, values) : -1);
            context_.renderer.DrawColumn(values, static_cast<int>(values.size()), result.lowMark,
                                         result.highMark, result.overloaded);
            if (context_.hooks.columnValues) {
                context_.hooks.columnValues(x, values);
            }
        }
        last = result;
        ++x;
    }
    for (int t = 0; t < traces_; ++t) {
        trace_[static_cast<std::size_t>(t)].frames->Compact();
    }
    // The range of the last column computed, as the real-time loop shows it.
    if (controls.amplitudeScale == AmplitudeScale::Linear && last.rows > 0) {
        context_.settings.Form1().SetText("Label4", LinearRangeText(last));
    }
}

// The columns the data does not reach get the lowest colour and a silent level bar.
void FileAnalysisLoop::BlankFrom(int64_t x) {
    for (x = std::max<int64_t>(x, 0); x < width_; ++x) {
        context_.renderer.SetTrackingRow(-1);
        context_.renderer.DrawColumn(floor_, rows_, kSilentLow, kSilentHigh, false);
    }
}

void FileAnalysisLoop::CleanUp() {
    ready_ = false;
    reader_.Close();
    if (drawing_) {
        context_.renderer.EndSession();
        drawing_ = false;
    }
    for (Trace& trace : trace_) {
        trace = Trace{};
    }
    raw_ = {};
    combined_ = {};
    floor_ = {};
    if (logsOpen_ && context_.hooks.closeDetectionLogs) {
        context_.hooks.closeDetectionLogs();
    }
    logsOpen_ = false;
}

void RegisterFileAnalysisLoop(LoopRegistry& loops, FileAnalysisContext& context) {
    loops.Register(LoopSlot::FileAnalysis,
                   [&context] { return std::make_unique<FileAnalysisLoop>(context); });
}

} // namespace ondrix
