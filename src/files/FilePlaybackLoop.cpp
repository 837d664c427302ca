#include "files/FilePlaybackLoop.h"

#include "analysis/LoopControls.h"
#include "analysis/RealTimeLoop.h"
#include "audio/DeviceLists.h"
#include "common/Clock.h"
#include "common/Interaction.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/Rounding.h"
#include "display/LayoutRefresh.h"
#include "display/SpectrogramRenderer.h"
#include "files/DaytimeStamp.h"
#include "files/FileOpener.h"
#include "files/FilePage.h"
#include "files/FilePageStatus.h"
#include "files/PlayList.h"
#include "settings/SettingNames.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace ondrix {

namespace {

constexpr int kFourChannels = 4;

bool Playable(const SoundFileInfo& info) {
    return info.type != kFileUnsupported && AnalysableChannels(info.channels) &&
           info.channels <= kFourChannels && SampleFormatText(info).has_value();
}

} // namespace

int PlaybackRate(int fileRate, double speed) {
    return RoundToInt32(fileRate * speed);
}

std::string PlayingText(double speed) {
    std::string text = speed != 1.0 ? " Play Speed" + NumberText(speed) + "x  " : std::string();
    return text + " Play ";
}

FilePlaybackLoop::FilePlaybackLoop(FilePlaybackContext& context) : context_(context) {}

FilePlaybackLoop::~FilePlaybackLoop() = default;

void FilePlaybackLoop::SetUp() {
    if (!context_.file.IsOpen()) {
        context_.tasks.SetSessionStopped(true);
        return;
    }
    if (context_.hooks.emptyRamBuffer) {
        context_.hooks.emptyRamBuffer();
    }
    context_.status = FilePlaybackStatus{};
    if (!StartEntry()) {
        context_.tasks.SetSessionStopped(true);
    }
}

// Reads the current file and the settings, opens the output, queues the first two blocks and starts
// the device. False when the file or the device refuses (the message has been shown).
bool FilePlaybackLoop::StartEntry() {
    CurrentFile& file = context_.file;
    path_ = file.name;
    info_ = file.info;
    formats_ = FileFormatSettingsFrom(context_.settings.Options1());
    if (!CheckFile()) {
        return false;
    }
    ReadSettings();
    // The logs open once per run, with the first entry's file and settings, before its first column.
    if (!logsOpen_ && context_.hooks.openDetectionLogs) {
        context_.hooks.openDetectionLogs();
        logsOpen_ = true;
    }
    if (!OpenOutput()) {
        return false;
    }
    if (!reader_.Open(path_, info_, formats_)) {
        context_.interaction.ShowMessage("File System Error", MessageIcon::Critical);
        return false;
    }
    file.frameBytes = FrameBytesOf(context_.renderer.Width(), scanStep_, info_);
    position_ = AlignFilePos(file.filePos, info_);
    if (position_ < info_.headerSize || position_ >= info_.dataEnd) {
        position_ = info_.headerSize;
    }
    playText_ = PlayingText(speed_);
    ShowFile();
    ShowPosition(true);
    ++context_.status.files;
    nextSlot_ = 0;
    pausedUnderruns_ = 0;
    phase_ = Phase::Playing;
    Refill();
    if (context_.tasks.SessionStopped()) {
        return false;
    }
    if (const int code = device_->Start(); code != 0) {
        context_.devices.ReportOpenError(code);
        return false;
    }
    if (context_.hooks.watchOutput) {
        context_.hooks.watchOutput(device_->WakeFd());
    }
    return true;
}

// Files the loop cannot read end the run with a message.
bool FilePlaybackLoop::CheckFile() {
    if (!Playable(info_)) {
        context_.interaction.ShowMessage("Unknown file type", MessageIcon::Exclamation);
        return false;
    }
    context_.settings.Form1().SetText("Label18", *SampleFormatText(info_));
    channels_ = info_.channels;
    stereo_ = StereoChoiceFrom(context_.settings.Options0());
    const ControlModel& form = context_.settings.Form1();
    if (channels_ == kFourChannels) {
        outputChannels_ = 2;
        leftChannel_ = std::clamp(form.IntValue("SetCH1"), 1, kFourChannels) - 1;
        rightChannel_ = std::clamp(form.IntValue("SetCH2"), 1, kFourChannels) - 1;
    } else {
        outputChannels_ = channels_ == 2 && stereo_ == StereoChoice::Stereo ? 2 : 1;
    }
    context_.status.outputChannels = outputChannels_;
    display_ = StereoDisplayFrom(context_.settings.Options0());
    context_.status.channelMode = channels_ == kFourChannels ? "4CH"
                                  : outputChannels_ == 2     ? StereoDisplayText(display_)
                                                             : ChannelModeText(channels_, stereo_);
    return true;
}

// The settings as the other loops read them, with their clamps written back to the lists.
void FilePlaybackLoop::ReadSettings() {
    SettingsModel& settings = context_.settings;
    ControlModel& form = settings.Form1();
    const ControlModel& advanced = settings.Options1();
    form.SetVisible("Frame4CH", channels_ == kFourChannels);
    blockSize_ = form.IntValue("BlockSize");
    settings.PublicSettings();
    const int windowType = std::abs(form.ListIndex("WindowType"));
    scanStep_ = std::max(form.IntValue("ScanStep"), 1);
    rows_ = std::clamp(form.IntValue("Combo7"), 1, kMaxDisplayHeight);
    stream_ =
        std::make_unique<ColumnStream>(ChainSetupFrom(advanced, settings.Analysis().fftSize,
                                                      form.IntValue("WindowSize"), windowType, scanStep_),
                                       context_.averaging);
    const int fftSize = stream_->Setup().fftSize;
    LimitRunSizes(form, blockSize_, scanStep_, fftSize);
    stream_->Begin(blockSize_, scanStep_, SelectedDither(advanced), advanced.Value("txtDither"),
                   context_.ditherSeed);
    if (channels_ == 2 && stereo_ == StereoChoice::Stereo) {
        stereoColumns_ = std::make_unique<StereoColumns>(stream_->Setup());
        stereoColumns_->Begin(2 * blockSize_, scanStep_);
    }
    spectrumWindow_ = settings.Options2().Checked("SpecFormCheck") && context_.hooks.plotSpectrum;
    const double speed = settings.Options0().Value("cmbSpeedUp");
    speed_ = speed > 0.0 ? speed : 1.0;

    const AnalysisSettings& analysis = settings.Analysis();
    const double rate = std::max(info_.sampleRate, 1);
    context_.status.binWidth =
        BinWidth(rate, fftSize, analysis.tapeSpeedRatio, analysis.frequencyDivisionRatio);
    context_.status.columnMs = scanStep_ * 1000.0 / rate * analysis.tapeSpeedRatio;

    settings.UpdateForm();
    context_.renderer.BeginSession(RunRendererSession(advanced, rows_, true));
    drawing_ = true;
    raw_.assign(static_cast<std::size_t>(blockSize_) * static_cast<std::size_t>(channels_), 0);
    mono_.assign(static_cast<std::size_t>(blockSize_), 0);
}

// The output format is checked on the chosen device before it is opened; a refusal is the device error.
bool FilePlaybackLoop::OpenOutput() {
    DeviceLists& devices = context_.devices;
    const int position = devices.FindOutputDevice(context_.settings.Options0().Text("Combo9"));
    const int rate = PlaybackRate(info_.sampleRate, speed_);
    context_.status.outputRate = rate;
    if (const int query = devices.Catalog().QueryOutputFormat(position, rate, outputChannels_); query != 0) {
        devices.ReportOpenError(query);
        return false;
    }
    const StreamFormat format{
        .sampleRate = rate, .channels = outputChannels_, .slotCount = kSlots, .framesPerSlot = blockSize_};
    OpenedOutput opened = context_.openOutput ? context_.openOutput(position, format)
                                              : devices.Catalog().OpenOutput(position, format);
    if (opened.code != 0 || !opened.device) {
        devices.ReportOpenError(opened.code != 0 ? opened.code : 1);
        return false;
    }
    device_ = std::move(opened.device);
    return true;
}

PassResult FilePlaybackLoop::Pass() {
    if (phase_ == Phase::Stopped || !device_) {
        return PassResult::Idle;
    }
    if (device_->Failed()) {
        context_.interaction.ShowMessage(DeviceStoppedText(false, device_->Name()), MessageIcon::Exclamation);
        context_.tasks.SetSessionStopped(true);
        return PassResult::Busy;
    }
    if (HoldForPause()) {
        return PassResult::Idle;
    }
    device_->DrainWakeups();
    if (phase_ == Phase::Draining || phase_ == Phase::Switching) {
        if (!AllPlayed()) {
            return PassResult::Idle;
        }
        if (phase_ == Phase::Draining) {
            // The last slot has left the ring; the device's own buffers still hold it for a while.
            const auto now = std::chrono::steady_clock::now();
            if (!playedAt_) {
                playedAt_ = now;
            }
            if (now - *playedAt_ < std::chrono::duration<double>(device_->LatencySeconds())) {
                return PassResult::Idle;
            }
            context_.tasks.SetSessionStopped(true);
            return PassResult::Busy;
        }
        StopEntry();
        if (!StartEntry()) {
            context_.tasks.SetSessionStopped(true);
        }
        return PassResult::Busy;
    }
    FollowJump();
    const int64_t before = context_.status.blocks;
    Refill();
    return context_.status.blocks != before ? PassResult::Busy : PassResult::Idle;
}

// The slots are filled in the order they play, each as soon as it has been played.
void FilePlaybackLoop::Refill() {
    for (int i = 0; i < kSlots && phase_ == Phase::Playing && device_->IsDone(nextSlot_); ++i) {
        const Fill fill = FillSlot(nextSlot_);
        if (fill != Fill::Queued) {
            if (fill == Fill::Error) {
                context_.interaction.ShowMessage("File System Error", MessageIcon::Critical);
                context_.tasks.SetSessionStopped(true);
                return;
            }
            AtEnd();
            continue;
        }
        nextSlot_ = (nextSlot_ + 1) % kSlots;
    }
    context_.status.underruns = device_->Underruns() - pausedUnderruns_;
}

// Reads the next block, analyses and draws it, and queues the frames read.
FilePlaybackLoop::Fill FilePlaybackLoop::FillSlot(int slot) {
    const int64_t count = reader_.Read(position_, raw_);
    if (count < 0) {
        return Fill::Error;
    }
    if (count == 0) {
        return Fill::End;
    }
    position_ = reader_.NextPosition();
    const auto frames = static_cast<std::size_t>(count);
    const std::span<const int16_t> read = std::span<const int16_t>(raw_).first(frames * channels_);
    const std::span<int16_t> trace = std::span<int16_t>(mono_).first(frames);
    if (channels_ == kFourChannels) {
        TakeChannel(read, channels_, leftChannel_, trace);
    } else {
        ReduceToMono(read, channels_, stereo_, trace);
    }
    ControlModel& form = context_.settings.Form1();
    const int xBefore = context_.renderer.X();
    const int columns = stereoColumns_ ? DrawStereo(read) : DrawMono(trace);
    SendOut(device_->Slot(slot), count);
    device_->Queue(slot, static_cast<int>(count));
    ++context_.status.blocks;
    form.SetText("L25", BareNumberText(static_cast<double>(stereoColumns_ ? stereoColumns_->OverloadCount()
                                                                          : stream_->OverloadCount())));
    ShowPosition(columns > 0 && xBefore + columns >= context_.renderer.Width());
    if (context_.hooks.pictureChanged) {
        context_.hooks.pictureChanged();
    }
    return Fill::Queued;
}

// The analysed trace's columns, as the other loops draw them.
int FilePlaybackLoop::DrawMono(std::span<const int16_t> trace) {
    ControlModel& form = context_.settings.Form1();
    const bool tracking = form.Checked("Check2") && context_.hooks.track;
    const StreamBlockResult drawn =
        stream_->Take(trace, ReadBlockControls(form),
                      ReadColumnControls(context_.settings, stream_->Setup().fftSize, rows_),
                      {.renderer = context_.renderer,
                       .rows = rows_,
                       .track = tracking ? &context_.hooks.track : nullptr,
                       .trigger = context_.hooks.trigger ? &context_.hooks.trigger : nullptr,
                       .spectrum = spectrumWindow_ ? &context_.hooks.plotSpectrum : nullptr});
    if (drawn.mean) {
        form.SetText("Label7", NumberText(*drawn.mean));
    }
    return drawn.columns;
}

// A stereo file played as "Stereo": both channels in the two halves and tracked there, as live.
int FilePlaybackLoop::DrawStereo(std::span<const int16_t> frames) {
    const int halfRows = rows_ / 2;
    const ControlModel& form = context_.settings.Form1();
    return stereoColumns_->Take(
        frames, ReadBlockControls(form),
        ReadColumnControls(context_.settings, stereoColumns_->Setup().fftSize, 2 * halfRows),
        {.display = display_,
         .halfRows = halfRows,
         .zoomChannel = StereoZoomChannel(form),
         .redBlue = context_.settings.Options0().Checked("chkRedBlueDisplay"),
         .track =
             form.Checked("Check2") && context_.hooks.trackChannel ? &context_.hooks.trackChannel : nullptr},
        context_.renderer);
}

// The output samples of the block, with the digital gain: the analysed trace in mono, both channels of
// a stereo file, the two chosen channels of a four-channel file.
void FilePlaybackLoop::SendOut(std::span<int16_t> slot, int64_t frames) {
    const auto count = static_cast<std::size_t>(frames);
    const std::span<int16_t> out = slot.first(count * static_cast<std::size_t>(outputChannels_));
    if (channels_ == kFourChannels) {
        for (std::size_t i = 0; i < count; ++i) {
            out[2 * i] = raw_[kFourChannels * i + static_cast<std::size_t>(leftChannel_)];
            out[2 * i + 1] = raw_[kFourChannels * i + static_cast<std::size_t>(rightChannel_)];
        }
    } else if (outputChannels_ == 2) {
        std::copy_n(raw_.begin(), out.size(), out.begin());
    } else {
        std::copy_n(mono_.begin(), out.size(), out.begin());
    }
    ApplyDigitalGain(out, context_.settings.Form1().IntValue("Text2"));
}

// GoTo, Skip or a page step moved the file position: the next block is read there, and the analysis
// starts from silence.
void FilePlaybackLoop::FollowJump() {
    CurrentFile& file = context_.file;
    if (file.filePos == filePosSet_) {
        return;
    }
    position_ = std::clamp(AlignFilePos(file.filePos, info_), info_.headerSize, info_.dataEnd);
    file.filePos = position_;
    filePosSet_ = position_;
    stream_->ClearHistory();
    if (stereoColumns_) {
        stereoColumns_->Begin(2 * blockSize_, scanStep_);
    }
}

// The data ended: the next entry of a play list, or the queued sound plays out and the run ends.
void FilePlaybackLoop::AtEnd() {
    if (context_.playList.Active() && NextEntry()) {
        return;
    }
    ControlModel& form = context_.settings.Form1();
    form.SetText("StatusLine", form.Text("StatusLine") + "E");
    phase_ = Phase::Draining;
    playedAt_.reset();
}

// Makes the next playable entry current. An entry of the same rate and channels continues the stream;
// another format plays once the queued sound has played out. Entries that cannot be played are noted
// and skipped. False after the last entry.
bool FilePlaybackLoop::NextEntry() {
    PlayList& list = context_.playList;
    while (list.Advance()) {
        const std::string path = list.Current();
        const SoundFileInfo info = DetectFileType(path, formats_);
        if (!Playable(info)) {
            if (context_.hooks.note) {
                context_.hooks.note("Play List: cannot play " + path);
            }
            continue;
        }
        CurrentFile& file = context_.file;
        file = CurrentFile{};
        file.name = path;
        file.info = info;
        file.filePos = info.headerSize;
        context_.tasks.SetCurrentFileName(path);
        ControlModel& basic = context_.settings.Options0();
        ControlModel& form = context_.settings.Form1();
        basic.SetText(kChannelCount, ChannelListText(info.channels));
        form.SetText(kQuickSettings.sampleRate, BareNumberText(info.sampleRate));
        basic.SetText(kBasicSettings.sampleRate, BareNumberText(info.sampleRate));
        if (info.sampleRate != info_.sampleRate || info.channels != info_.channels) {
            phase_ = Phase::Switching;
            return true;
        }
        reader_.Close();
        if (!reader_.Open(path, info, formats_)) {
            if (context_.hooks.note) {
                context_.hooks.note("Play List: cannot play " + path);
            }
            continue;
        }
        path_ = path;
        info_ = info;
        file.frameBytes = FrameBytesOf(context_.renderer.Width(), scanStep_, info_);
        position_ = info_.headerSize;
        filePosSet_ = position_;
        ++context_.status.files;
        ShowFile();
        return true;
    }
    return false;
}

// The status label names the file; "PlayList " first while a play list plays.
void FilePlaybackLoop::ShowFile() {
    const std::string prefix = context_.playList.Active() ? "PlayList " : "";
    context_.settings.Form1().SetText("Label4",
                                      prefix + FileRunStatusText(path_, info_, context_.status.channelMode));
}

// The time of the block being read; at the start of each screenful the file position and the time of
// day follow it, so that the position shown and the page steps refer to the screen being drawn.
void FilePlaybackLoop::ShowPosition(bool newScreen) {
    CurrentFile& file = context_.file;
    ControlModel& form = context_.settings.Form1();
    const double tapeSpeedRatio = context_.settings.Analysis().tapeSpeedRatio;
    form.SetText("Label3", SecondsToClock(SecondsAtPos(position_, info_, tapeSpeedRatio)));
    if (!newScreen) {
        return;
    }
    file.filePos = position_;
    filePosSet_ = position_;
    file.elapsedSeconds = SecondsAtPos(position_, info_, tapeSpeedRatio);
    form.SetText("StatusLine",
                 playText_ + DaytimeText(FileNameOfPath(path_), context_.settings.Options0().Text("TimeTag"),
                                         file.elapsedSeconds));
}

// Pause holds the loop without queuing: the queued sound plays out, then silence until it resumes.
bool FilePlaybackLoop::HoldForPause() {
    if (context_.tasks.PauseButton()) {
        if (!paused_) {
            paused_ = true;
            underrunsAtPause_ = device_->Underruns();
            ControlModel& form = context_.settings.Form1();
            form.SetText("StatusLine", form.Text("StatusLine") + "P");
        }
        return true;
    }
    if (paused_) {
        // Running dry while paused is the pause, not a gap in the sound.
        pausedUnderruns_ += device_->Underruns() - underrunsAtPause_;
        paused_ = false;
    }
    return false;
}

bool FilePlaybackLoop::AllPlayed() const {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!device_->IsDone(slot)) {
            return false;
        }
    }
    return true;
}

void FilePlaybackLoop::StopEntry() {
    if (device_) {
        if (context_.hooks.watchOutput) {
            context_.hooks.watchOutput(-1);
        }
        device_->Stop();
        device_->Reset();
        device_->Close();
        device_.reset();
    }
    reader_.Close();
    if (drawing_) {
        context_.renderer.EndSession();
        drawing_ = false;
    }
    stream_.reset();
    stereoColumns_.reset();
    raw_ = {};
    mono_ = {};
    phase_ = Phase::Stopped;
}

void FilePlaybackLoop::CleanUp() {
    StopEntry();
    if (logsOpen_ && context_.hooks.closeDetectionLogs) {
        context_.hooks.closeDetectionLogs();
    }
    logsOpen_ = false;
}

void RegisterFilePlaybackLoop(LoopRegistry& loops, FilePlaybackContext& context) {
    loops.Register(LoopSlot::FilePlayback,
                   [&context] { return std::make_unique<FilePlaybackLoop>(context); });
}

} // namespace ondrix
