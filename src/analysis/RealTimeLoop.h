// The real-time loop of one or two channels: capture in blocks, condition, compute and draw columns, hand
// the raw blocks to the RAM buffer and the recorder and the columns to the detectors. Two channels share
// the pacing, pause, fail counting and ring order, and draw the channels one above the other.
#pragma once

#include "analysis/ColumnParameters.h"
#include "analysis/ColumnStream.h"
#include "analysis/RealTimeContext.h"
#include "analysis/StereoColumns.h"
#include "settings/Session.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ondrix {

class ControlModel;

// The block and scan step of a run once the chain has fixed its FFT size: the block at most the largest
// a loop takes, the step at most the block, the block at least the FFT size. Each change is written
// back to the Quick Settings list.
void LimitRunSizes(ControlModel& form, int& blockSize, int& scanStep, int fftSize);

// "Sound Input Device [name] stopped working; the session has ended" and its output twin.
std::string DeviceStoppedText(bool input, const std::string& name);

class RealTimeLoop : public Session {
public:
    // Largest block the loop captures: a typed larger "Block Size" is limited to it.
    static constexpr int kMaxBlockSize = 131072;
    // Capture slots ("WaveIn Buffers") are limited to 2..64.
    static constexpr int kMinSlots = 2;
    static constexpr int kMaxSlots = 64;

    // Stereo blocks hold at least this many values.
    static constexpr int kMinStereoBlock = 4096;

    // Channels 2 runs the two-channel front end; anything else one channel.
    explicit RealTimeLoop(RealTimeContext& context, int channels = 1);
    ~RealTimeLoop() override;

    void SetUp() override;
    PassResult Pass() override;
    void CleanUp() override;

    // Set-up results, for tests and readouts.
    int BlockSize() const { return blockSize_; }
    int ScanStep() const { return scanStep_; }
    int History() const { return history_; }
    int Slots() const { return slots_; }

private:
    using Clock = std::chrono::steady_clock;

    bool ReadSettings();
    void Describe();
    bool OpenDevice();
    void TakeBlock(int slot);
    void ComputeColumns();
    void ComputeStereoColumns();
    void CheckFails(int readyCount);
    bool HoldForPause();
    ColumnControls ReadColumnControls() const;
    BlockControls ReadBlockControls() const;
    void ShowCounters();

    RealTimeContext& context_;
    int channels_ = 1;
    StereoDisplay display_ = StereoDisplay::Stereo;
    bool recording_ = false; // task 2, fixed at set-up
    std::string bufferText_; // the RAM buffer's part of the block description

    // Settings of the run.
    int slots_ = 0;
    int blockSize_ = 0;
    int sampleRate_ = 0;
    int fftSize_ = 0;
    int windowSize_ = 0;
    int windowType_ = 0;
    int scanStep_ = 0;
    int history_ = 0;
    int rows_ = 0;
    int updateRate_ = 0;
    bool spectrumWindow_ = false;
    double blockSeconds_ = 0.0;

    // Resources, acquired in set-up and released in clean-up.
    std::unique_ptr<ColumnStream> stream_;  // one channel
    std::unique_ptr<StereoColumns> stereo_; // two channels
    std::unique_ptr<InputDevice> device_;
    std::vector<int16_t> raw_;
    bool recordingStarted_ = false; // a recording file was prepared and must be ended
    bool drawing_ = false;

    // Run state.
    int peakReady_ = 0;
    double elapsedSeconds_ = 0.0;
    Clock::time_point lastIdle_{};
    bool paused_ = false;
};

} // namespace ondrix
