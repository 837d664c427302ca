// The "CD Player" window's logic: the labels and buttons it shows and what its buttons and its status
// timer do, on the drive thread's commands and status.
#pragma once

#include "cd/CdEngine.h"
#include "common/Interaction.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// "mm:ss:ff" of a count of sectors (minutes, seconds and frames of 1/75 s).
std::string CdLengthText(int32_t sectors);

struct CdPlayerView {
    std::string timeWindow; // "[02] 01:05"
    std::string trackTime;  // "Track time: 00:20:00"
    std::string totalPlay;  // "Tracks: 3  Total time: 01:00:00"
    bool buttons = false;   // play, pause, stopbtn, ff, rew, ftrack, btrack
    bool eject = false;
};

class CdPlayerPanel {
public:
    // Fast forward and rewind move by this many seconds.
    static constexpr int kSeekStep = 5;

    // outputPosition gives the output device's list position when a play starts.
    CdPlayerPanel(CdEngine& engine, Interaction& interaction, std::function<int()> outputPosition);

    // Window load: opens the drive (its failure is shown at the next status update) and reads the status.
    void Load();
    // Timer tick: shows what the drive thread last reported and asks it for the next status.
    void StatusUpdate();

    void Play();
    void Pause();
    void StopButton();
    void Eject();
    void FastForward() { StepBy(kSeekStep); }
    void Rewind() { StepBy(-kSeekStep); }
    void NextTrack();
    void PreviousTrack();

    const CdPlayerView& View() const { return view_; }
    bool Playing() const { return playing_; }

private:
    void StepBy(int seconds);
    void Initialise(const CdStatus& status);
    void GoTo(int track);
    int32_t TrackStart(int track) const;

    CdEngine& engine_;
    Interaction& interaction_;
    std::function<int()> outputPosition_;
    CdPlayerView view_;
    bool initialised_ = false;
    uint64_t disc_ = 0;
    bool playing_ = false;
    bool doorOpen_ = false;
    int trackCount_ = 0;
    int track_ = 0; // from the last status: the track heard and the minutes and seconds into it
    int minute_ = 0;
    int second_ = 0;
    std::vector<int32_t> starts_;      // index 1..trackCount_ (0 unused)
    std::vector<std::string> lengths_; // index 1..trackCount_ (0 unused)
};

} // namespace ondrix
