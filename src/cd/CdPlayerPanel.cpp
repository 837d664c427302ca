#include "cd/CdPlayerPanel.h"

#include <cstdio>

namespace ondrix {

namespace {

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::string CdLengthText(int32_t sectors) {
    const int32_t seconds = sectors / kCdSectorsPerSecond;
    return TwoDigits(seconds / 60) + ":" + TwoDigits(seconds % 60) + ":" +
           TwoDigits(sectors % kCdSectorsPerSecond);
}

CdPlayerPanel::CdPlayerPanel(CdEngine& engine, Interaction& interaction, std::function<int()> outputPosition)
    : engine_(engine), interaction_(interaction), outputPosition_(std::move(outputPosition)) {}

void CdPlayerPanel::Load() {
    playing_ = false;
    engine_.Probe(true);
}

void CdPlayerPanel::StatusUpdate() {
    for (const std::string& error : engine_.TakeErrors()) {
        interaction_.ShowMessage(error, MessageIcon::Exclamation);
    }
    const CdStatus status = engine_.Status();
    if (status.present) {
        if (!initialised_ || status.disc != disc_) {
            Initialise(status);
        }
        // The track heard, and the minutes and seconds into it.
        track_ = TrackAt(status.toc, status.position);
        const int32_t into = status.position - TrackStart(track_);
        minute_ = into / kCdSectorsPerSecond / 60;
        second_ = into / kCdSectorsPerSecond % 60;
        view_.timeWindow = "[" + TwoDigits(track_) + "] " + TwoDigits(minute_) + ":" + TwoDigits(second_);
        const bool known = track_ >= 1 && track_ <= trackCount_;
        view_.trackTime =
            "Track time: " + (known ? lengths_[static_cast<std::size_t>(track_)] : std::string());
        playing_ = status.playing;
    } else if (initialised_) {
        view_.buttons = false;
        initialised_ = false;
        playing_ = false;
        view_.totalPlay.clear();
        view_.trackTime.clear();
        view_.timeWindow.clear();
    }
    engine_.Probe();
}

// A disc seen for the first time: its track table, the buttons, and the start of track 1.
void CdPlayerPanel::Initialise(const CdStatus& status) {
    trackCount_ = static_cast<int>(status.toc.tracks.size());
    view_.eject = true;
    view_.totalPlay =
        "Tracks: " + std::to_string(trackCount_) + "  Total time: " + CdLengthText(status.toc.EndSector());
    starts_.assign(1, 0);
    lengths_.assign(1, std::string());
    for (const CdTrack& track : status.toc.tracks) {
        starts_.push_back(track.start);
        lengths_.push_back(CdLengthText(track.sectors));
    }
    view_.buttons = true;
    disc_ = status.disc;
    initialised_ = true;
}

int32_t CdPlayerPanel::TrackStart(int track) const {
    return track >= 1 && track <= trackCount_ ? starts_[static_cast<std::size_t>(track)] : 0;
}

void CdPlayerPanel::Play() {
    engine_.Play(outputPosition_ ? outputPosition_() : 0);
    playing_ = true;
}

void CdPlayerPanel::Pause() {
    engine_.Pause();
    playing_ = false;
}

void CdPlayerPanel::StopButton() {
    engine_.Stop();
    playing_ = false;
}

void CdPlayerPanel::Eject() {
    doorOpen_ = !doorOpen_;
    engine_.Door(doorOpen_);
}

void CdPlayerPanel::StepBy(int seconds) {
    engine_.Step(seconds * kCdSectorsPerSecond);
}

void CdPlayerPanel::GoTo(int track) {
    if (playing_) {
        engine_.PlayFrom(TrackStart(track), outputPosition_ ? outputPosition_() : 0);
    } else {
        engine_.Seek(TrackStart(track));
    }
}

// From the last track back to the start of the first, stopped; else the next track.
void CdPlayerPanel::NextTrack() {
    if (trackCount_ < 1) {
        return;
    }
    if (track_ >= trackCount_) {
        engine_.Seek(TrackStart(1));
        return;
    }
    GoTo(track_ < 1 ? 1 : track_ + 1);
}

// At the very start of a track the previous one (the last from the first), else the start of this one.
void CdPlayerPanel::PreviousTrack() {
    if (trackCount_ < 1) {
        return;
    }
    const int current = track_ >= 1 && track_ <= trackCount_ ? track_ : 1;
    int target = current;
    if (minute_ == 0 && second_ == 0) {
        target = current == 1 ? trackCount_ : current - 1;
    }
    GoTo(target);
}

} // namespace ondrix
