#include "analysis/RealTimeLoop.h"

#include "analysis/LoopControls.h"
#include "audio/DeviceLists.h"
#include "common/Clock.h"
#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "display/LayoutRefresh.h"
#include "display/SpectrogramRenderer.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ondrix {

void LimitRunSizes(ControlModel& form, int& blockSize, int& scanStep, int fftSize) {
    if (blockSize > RealTimeLoop::kMaxBlockSize) {
        blockSize = RealTimeLoop::kMaxBlockSize;
        form.SetText("BlockSize", BareNumberText(blockSize));
    }
    if (scanStep > blockSize) {
        scanStep = std::max(blockSize, 1);
        form.SetText("ScanStep", BareNumberText(scanStep));
    }
    if (fftSize > blockSize) {
        blockSize = fftSize;
        form.SetText("BlockSize", BareNumberText(fftSize));
    }
}

std::string DeviceStoppedText(bool input, const std::string& name) {
    return std::string(input ? "Sound Input Device [" : "Sound Output Device [") + name +
           "] stopped working; the session has ended";
}

RealTimeLoop::RealTimeLoop(RealTimeContext& context, int channels)
    : context_(context), channels_(channels == 2 ? 2 : 1) {}

RealTimeLoop::~RealTimeLoop() = default;

void RealTimeLoop::SetUp() {
    recording_ = context_.tasks.SessionMode() == 2;
    if (!ReadSettings()) {
        return;
    }
    Describe();
    if (recording_ && context_.hooks.startRecording) {
        context_.hooks.startRecording();
    }
    if (!OpenDevice()) {
        return;
    }
    context_.status.fails = 0;
    context_.status.overloads = 0;
    context_.status.overloadsFrom = 0;
    context_.status.columns = 0;
    context_.status.blocks = 0;
    peakReady_ = 0;
    elapsedSeconds_ = 0.0;
    lastIdle_ = Clock::now();
    if (context_.hooks.watchCapture) {
        context_.hooks.watchCapture(device_->WakeFd());
    }
    if (context_.hooks.captureRunning) {
        context_.hooks.captureRunning(true);
    }
}

// Reads and clamps the settings of the run, builds the column chain and lays the display out. False
// when the run ends before capture (the recording could not be prepared).
bool RealTimeLoop::ReadSettings() {
    SettingsModel& settings = context_.settings;
    ControlModel& form = settings.Form1();
    const ControlModel& advanced = settings.Options1();
    form.SetVisible("Frame4CH", false);
    slots_ = std::clamp(settings.Options2().IntValue("Combo2"), kMinSlots, kMaxSlots);
    if (channels_ == 2) {
        // Stereo blocks hold at least 4096 values; zoom stays as it is for the session.
        if (form.IntValue("BlockSize") < kMinStereoBlock) {
            form.SetText("BlockSize", BareNumberText(kMinStereoBlock));
        }
        form.SetEnabled("ZoomFlag", false);
        display_ = StereoDisplayFrom(settings.Options0());
    }
    blockSize_ = form.IntValue("BlockSize");
    settings.PublicSettings();
    sampleRate_ = std::max(settings.Analysis().sampleRate, 1);
    windowSize_ = form.IntValue("WindowSize");
    windowType_ = std::abs(form.ListIndex("WindowType"));
    scanStep_ = std::max(form.IntValue("ScanStep"), 1);
    rows_ = std::clamp(form.IntValue("Combo7"), 1, kMaxDisplayHeight);
    updateRate_ = std::max(advanced.IntValue("Combo9"), 0);

    // The chain limits the FFT size to what its buffers hold; the block follows that size.
    const ColumnChainSetup chain =
        ChainSetupFrom(advanced, settings.Analysis().fftSize, windowSize_, windowType_, scanStep_);
    if (channels_ == 2) {
        stereo_ = std::make_unique<StereoColumns>(chain);
    } else {
        stream_ = std::make_unique<ColumnStream>(chain, context_.averaging);
    }
    fftSize_ = channels_ == 2 ? stereo_->Setup().fftSize : stream_->Setup().fftSize;
    windowSize_ = channels_ == 2 ? stereo_->Setup().windowSize : stream_->Setup().windowSize;
    LimitRunSizes(form, blockSize_, scanStep_, fftSize_);
    history_ = scanStep_ < fftSize_ ? fftSize_ - scanStep_ : 0;
    spectrumWindow_ = settings.Options2().Checked("SpecFormCheck") && channels_ == 1;

    const AnalysisSettings& analysis = settings.Analysis();
    context_.status.binWidth =
        BinWidth(sampleRate_, fftSize_, analysis.tapeSpeedRatio, analysis.frequencyDivisionRatio);
    context_.status.columnMs = scanStep_ * 1000.0 / sampleRate_ * analysis.tapeSpeedRatio;
    blockSeconds_ = static_cast<double>(blockSize_ / channels_) / sampleRate_;

    form.SetText("StatusLine",
                 scanStep_ <= windowSize_
                     ? "overlap" + NumberText((windowSize_ - scanStep_) * 100.0 / windowSize_) + "%"
                     : std::string("skip"));
    context_.status.channelMode = channels_ == 2 ? StereoDisplayText(display_) : "M";
    context_.status.channels = channels_;

    settings.UpdateForm();
    context_.renderer.BeginSession(RunRendererSession(advanced, rows_, true));
    drawing_ = true;

    if (channels_ == 2) {
        stereo_->Begin(blockSize_, scanStep_);
    } else {
        stream_->Begin(blockSize_, scanStep_, SelectedDither(advanced), advanced.Value("txtDither"),
                       context_.ditherSeed);
    }
    bufferText_ =
        context_.hooks.ramBufferSetUp
            ? context_.hooks.ramBufferSetUp(blockSize_, channels_, static_cast<uint32_t>(sampleRate_))
            : std::string();
    if (recording_ && context_.hooks.prepareRecording && !context_.hooks.prepareRecording()) {
        context_.tasks.SetSessionStopped(true);
        return false;
    }
    // From here on the recording file is open: clean-up always completes it.
    recordingStarted_ = recording_;
    if (context_.hooks.openDetectionLogs) {
        context_.hooks.openDetectionLogs();
    }
    return true;
}

// The block description in the status label: rate, channels, block length, the display span and the
// length of the RAM buffer.
void RealTimeLoop::Describe() {
    const double blockMs = RoundTo(blockSeconds_ * 1000.0, 3);
    const double displaySeconds =
        RoundTo(context_.renderer.Width() * static_cast<double>(scanStep_) / sampleRate_, 3);
    context_.settings.Form1().SetText("Label4", NumberText(sampleRate_) + "s/sec" + NumberText(channels_) +
                                                    "ch  Block " + NumberText(blockSize_) + "=" +
                                                    NumberText(blockMs) + "msec  Display" +
                                                    NumberText(displaySeconds) + "sec" + bufferText_);
}

// Finds the selected input, checks the format without opening it, then opens and starts capture. A
// refused format ends the run before any capture memory is allocated.
bool RealTimeLoop::OpenDevice() {
    DeviceLists& devices = context_.devices;
    const int position = devices.FindInputDevice(context_.settings.Form1().Text("Combo10"));
    const int query = devices.QueryInputFormat(position, sampleRate_, channels_);
    if (query != 0) {
        devices.ReportOpenError(query);
        context_.tasks.SetSessionStopped(true);
        return false;
    }
    const StreamFormat format{.sampleRate = sampleRate_,
                              .channels = channels_,
                              .slotCount = slots_,
                              .framesPerSlot = blockSize_ / channels_};
    OpenedInput opened = context_.openInput ? context_.openInput(position, format)
                                            : devices.Catalog().OpenInput(position, format);
    int code = opened.code;
    if (code == 0 && opened.device) {
        device_ = std::move(opened.device);
        code = device_->Start();
    }
    if (code != 0 || !device_) {
        devices.ReportOpenError(code != 0 ? code : 1);
        context_.tasks.SetSessionStopped(true);
        return false;
    }
    raw_.assign(static_cast<std::size_t>(blockSize_), 0);
    return true;
}

PassResult RealTimeLoop::Pass() {
    if (!device_) {
        return PassResult::Idle;
    }
    if (device_->Failed()) {
        context_.interaction.ShowMessage(DeviceStoppedText(true, device_->Name()), MessageIcon::Exclamation);
        context_.tasks.SetSessionStopped(true);
        return PassResult::Busy;
    }
    if (HoldForPause()) {
        return PassResult::Idle;
    }
    device_->DrainWakeups();
    bool took = false;
    // Slots are taken in ring order, the order the device fills them.
    for (int step = 0; step < slots_; ++step) {
        const int slot = device_->NextSlot();
        int ready = 0;
        if (device_->IsDone(slot)) {
            for (int i = 0; i < slots_; ++i) {
                ready += device_->IsDone(i) ? 1 : 0;
            }
            TakeBlock(slot);
            took = true;
        }
        CheckFails(ready);
    }
    return took ? PassResult::Busy : PassResult::Idle;
}

// Pause holds analysis without re-queuing any slot, so a long pause ends in one fail.
bool RealTimeLoop::HoldForPause() {
    ControlModel& form = context_.settings.Form1();
    if (context_.tasks.PauseButton()) {
        if (!paused_) {
            paused_ = true;
            form.SetText("StatusLine", form.Text("StatusLine") + "P");
            if (recording_ && context_.hooks.recordingLog) {
                context_.hooks.recordingLog("Pausing...");
            }
        }
        return true;
    }
    if (paused_) {
        paused_ = false;
        if (recording_ && context_.hooks.recordingLog) {
            context_.hooks.recordingLog("Resuming...");
        }
    }
    return false;
}

void RealTimeLoop::TakeBlock(int slot) {
    ControlModel& form = context_.settings.Form1();
    const Clock::time_point taken = Clock::now();
    ++context_.status.blocks;
    const std::string waited = NumberText(static_cast<double>(
        RoundToInt64(std::chrono::duration<double, std::milli>(taken - lastIdle_).count())));
    form.SetText("Label6", waited);
    form.SetText("Label27", waited);
    form.SetText("Label3", SecondsToClock(elapsedSeconds_));
    elapsedSeconds_ += blockSeconds_;
    if (form.Checked("ShowDateTime")) {
        const std::tm now = LocalNow();
        form.SetText("DateTime", ShortDateText(now) + " " + ShortTimeText(now));
    }

    const std::span<const int16_t> captured = device_->Slot(slot);
    std::copy_n(captured.begin(), std::min(captured.size(), raw_.size()), raw_.begin());
    device_->Requeue(slot);
    if (context_.hooks.ramBufferAppend) {
        context_.hooks.ramBufferAppend(raw_);
    }
    if (recording_ && context_.hooks.recordBlock) {
        context_.hooks.recordBlock(raw_, context_.tasks.RecPauseFlag());
    }
    ShowCounters();
    ComputeColumns();
    lastIdle_ = Clock::now();
    if (context_.hooks.pictureChanged) {
        context_.hooks.pictureChanged();
    }
}

// Conditions the new samples, then computes, draws and hands on every column whose frame is complete.
void RealTimeLoop::ComputeColumns() {
    if (channels_ == 2) {
        ComputeStereoColumns();
        return;
    }
    const bool tracking = context_.settings.Form1().Checked("Check2") && context_.hooks.track;
    const bool spectrum = spectrumWindow_ && context_.hooks.plotSpectrum;
    const ColumnControls controls = ReadColumnControls();
    const StreamBlockResult drawn =
        stream_->Take(raw_, ReadBlockControls(), controls,
                      {.renderer = context_.renderer,
                       .rows = rows_,
                       .track = tracking ? &context_.hooks.track : nullptr,
                       .trigger = context_.hooks.trigger ? &context_.hooks.trigger : nullptr,
                       .spectrum = spectrum ? &context_.hooks.plotSpectrum : nullptr});
    if (drawn.mean) {
        context_.settings.Form1().SetText("Label7", NumberText(*drawn.mean));
    }
    context_.status.columns += drawn.columns;
    context_.status.overloads = stream_->OverloadCount() - context_.status.overloadsFrom;
    // Each column writes its range; the label shows the last one, so it is written once per block.
    if (controls.amplitudeScale == AmplitudeScale::Linear && drawn.last.rows > 0) {
        context_.settings.Form1().SetText("Label4", LinearRangeText(drawn.last));
    }
}

// Both channels, one above the other (or red and blue): ⌊R / 2⌋ rows each, so an odd height never reads
// past a half. Each channel is tracked in its own half.
void RealTimeLoop::ComputeStereoColumns() {
    const ControlModel& form = context_.settings.Form1();
    const int halfRows = rows_ / 2;
    context_.status.columns += stereo_->Take(
        raw_, ReadBlockControls(), ondrix::ReadColumnControls(context_.settings, fftSize_, 2 * halfRows),
        {.display = display_,
         .halfRows = halfRows,
         .zoomChannel = StereoZoomChannel(form),
         .redBlue = context_.settings.Options0().Checked("chkRedBlueDisplay"),
         .track =
             form.Checked("Check2") && context_.hooks.trackChannel ? &context_.hooks.trackChannel : nullptr},
        context_.renderer);
    context_.status.overloads = stereo_->OverloadCount() - context_.status.overloadsFrom;
}

// Every slot done at once means the device had nowhere to put the next block: a fail.
void RealTimeLoop::CheckFails(int readyCount) {
    ControlModel& form = context_.settings.Form1();
    form.SetText("Label20", BareNumberText(readyCount));
    if (readyCount > peakReady_) {
        peakReady_ = readyCount;
        form.SetText("Label21", BareNumberText(peakReady_));
    }
    if (readyCount >= slots_) {
        ++context_.status.fails;
        if (recording_ && context_.hooks.recordingLog) {
            context_.hooks.recordingLog("Fail");
        }
    }
}

void RealTimeLoop::ShowCounters() {
    ControlModel& form = context_.settings.Form1();
    const std::string fails = BareNumberText(static_cast<double>(context_.status.fails));
    form.SetText("L24", fails);
    form.SetText("L25", BareNumberText(static_cast<double>(context_.status.overloads)));
    form.SetText("Label28", fails);
}

ColumnControls RealTimeLoop::ReadColumnControls() const {
    return ondrix::ReadColumnControls(context_.settings, fftSize_, rows_);
}

BlockControls RealTimeLoop::ReadBlockControls() const {
    return ondrix::ReadBlockControls(context_.settings.Form1());
}

void RealTimeLoop::CleanUp() {
    if (device_) {
        if (context_.hooks.watchCapture) {
            context_.hooks.watchCapture(-1);
        }
        if (context_.hooks.captureRunning) {
            context_.hooks.captureRunning(false);
        }
        device_->Stop();
        context_.status.droppedBlocks = static_cast<int64_t>(device_->DroppedBlocks());
    }
    if (recordingStarted_ && context_.hooks.endRecording) {
        context_.hooks.endRecording();
    }
    recordingStarted_ = false;
    if (device_) {
        device_->Reset();
        device_->Close();
        device_.reset();
    }
    raw_ = {};
    if (drawing_) {
        context_.renderer.EndSession();
        drawing_ = false;
    }
    stream_.reset();
    stereo_.reset();
    if (channels_ == 2) {
        context_.settings.Form1().SetEnabled("ZoomFlag", true);
    }
    if (context_.hooks.closeDetectionLogs) {
        context_.hooks.closeDetectionLogs();
    }
}

} // namespace ondrix
