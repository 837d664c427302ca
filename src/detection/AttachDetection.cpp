#include "detection/AttachDetection.h"

#include "analysis/LoopControls.h"
#include "analysis/RealTimeContext.h"
#include "analysis/StereoColumns.h"
#include "common/Clock.h"
#include "common/Paths.h"
#include "detection/Detection.h"
#include "display/SpectrogramRenderer.h"
#include "files/FileAnalysisLoop.h"
#include "files/FilePlaybackLoop.h"

#include <memory>

namespace ondrix {

namespace {

constexpr int kFourChannels = 4;

// The run's parameters as its loop has set them up: the sizes after their clamps, the renderer's rows.
// Two channels track the ⌊R / 2⌋ rows of their halves, each with its own zoom.
DetectionRun RunOf(SettingsModel& settings, const SpectrogramRenderer& renderer, DetectionLoop loop,
                   double sampleRate, double binWidth, double columnMs, int channels = 1) {
    DetectionRun run;
    run.heading.loop = loop;
    run.heading.sampleRate = sampleRate;
    run.heading.fftSize = EffectiveFftSize(settings.Analysis().fftSize);
    run.heading.scanStep = settings.Form1().IntValue("ScanStep");
    run.rows = renderer.Session().rows;
    run.columnMs = columnMs;
    const auto rowsOf = [&](bool direct, const ColumnControls& controls) {
        return TrackRows{direct ? binWidth : binWidth * controls.compression, direct ? controls.zoomBase : 0};
    };
    if (channels == 2) {
        run.channels = 2;
        run.rows /= 2;
        run.trigger = false;
        const ColumnControls controls = ReadColumnControls(settings, run.heading.fftSize, 2 * run.rows);
        const int zoomChannel = StereoZoomChannel(settings.Form1());
        for (int c = 0; c < 2; ++c) {
            run.channelRows[static_cast<std::size_t>(c)] =
                rowsOf(StereoChannelDirect(controls, run.heading.fftSize, zoomChannel, c), controls);
        }
        return run;
    }
    const ColumnControls controls = ReadColumnControls(settings, run.heading.fftSize, run.rows);
    const TrackRows rows = rowsOf(controls.direct, controls);
    run.rowHz = rows.rowHz;
    run.baseRow = rows.baseRow;
    return run;
}

} // namespace

void AttachDetection(const DetectionWiring& wiring) {
    auto detection = std::make_shared<Detection>(wiring.settings, wiring.renderer, [] { return LocalNow(); });
    SettingsModel& settings = wiring.settings;
    SpectrogramRenderer& renderer = wiring.renderer;

    RealTimeContext& live = wiring.realTime;
    live.hooks.openDetectionLogs = [detection, &settings, &renderer, &live, name = wiring.recordingName] {
        DetectionRun run = RunOf(settings, renderer, DetectionLoop::RealTime, settings.Analysis().sampleRate,
                                 live.status.binWidth, live.status.columnMs, live.status.channels);
        run.heading.namePart = name ? name() : std::string();
        detection->Open(run);
    };
    live.hooks.track = [detection](std::span<const float> column) { return detection->Track(column); };
    live.hooks.trackChannel = [detection](int channel, std::span<const float> column) {
        return detection->TrackChannel(channel, column);
    };
    live.hooks.trigger = [detection](float peakToPeak) { detection->TriggerColumn(peakToPeak); };
    live.hooks.closeDetectionLogs = [detection] { detection->Close(); };

    FileAnalysisContext& pages = wiring.fileAnalysis;
    pages.hooks.loadMarkers = [detection, path = wiring.markerPath](const std::string&) {
        detection->LoadMarkers(path);
    };
    pages.hooks.openDetectionLogs = [detection, &settings, &renderer, &pages] {
        DetectionRun run = RunOf(settings, renderer, DetectionLoop::FileAnalysis, pages.file.info.sampleRate,
                                 pages.status.binWidth, pages.status.columnMs);
        run.heading.fileName = FileNameOfPath(pages.file.name);
        run.tracker = pages.file.info.channels != kFourChannels;
        run.trigger = false;
        detection->Open(run);
    };
    pages.hooks.track = [detection, &pages](int64_t column, std::span<const float> values) {
        return detection->TrackPageColumn(column, pages.file.elapsedSeconds, values);
    };
    pages.hooks.closeDetectionLogs = [detection] { detection->Close(); };
    pages.hooks.pictureChanged = [detection, shown = pages.hooks.pictureChanged] {
        detection->DrawMarkers();
        if (shown) {
            shown();
        }
    };

    FilePlaybackContext& play = wiring.playback;
    play.hooks.openDetectionLogs = [detection, &settings, &renderer, &play, path = wiring.markerPath] {
        detection->LoadMarkers(path);
        // A stereo file played as "Stereo" is tracked per channel, without a trigger.
        const bool stereo = play.file.info.channels == 2 && play.status.outputChannels == 2;
        DetectionRun run =
            RunOf(settings, renderer, stereo ? DetectionLoop::StereoPlayback : DetectionLoop::Playback,
                  play.file.info.sampleRate, play.status.binWidth, play.status.columnMs, stereo ? 2 : 1);
        run.heading.fileName = FileNameOfPath(play.file.name);
        run.tracker = play.file.info.channels != kFourChannels;
        run.trigger = run.tracker && !stereo;
        detection->Open(run);
    };
    play.hooks.track = [detection](std::span<const float> column) { return detection->Track(column); };
    play.hooks.trackChannel = [detection](int channel, std::span<const float> column) {
        return detection->TrackChannel(channel, column);
    };
    play.hooks.trigger = [detection](float peakToPeak) { detection->TriggerColumn(peakToPeak); };
    play.hooks.closeDetectionLogs = [detection] { detection->Close(); };
}

} // namespace ondrix
