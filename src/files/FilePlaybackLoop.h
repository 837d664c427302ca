// The playback loop (task 3): the current file is played through the output device while its
// spectrogram is drawn as one continuous stream, in step with the sound.
#pragma once

#include "analysis/ColumnStream.h"
#include "analysis/StereoColumns.h"
#include "audio/DeviceCatalog.h"
#include "files/CurrentFile.h"
#include "files/FilePageChannels.h"
#include "files/SoundFileReader.h"
#include "settings/LoopRegistry.h"
#include "settings/Session.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

class DeviceLists;
class Interaction;
class PlayList;
class SettingsModel;
class SpectrogramRenderer;
class SpectrumAveraging;
class TaskController;

// Where a playback hands on its blocks and columns. Unset hooks do nothing.
struct FilePlaybackHooks {
    // The window: wake the event wait when an output slot has been played (fd), -1 when the run ends;
    // the picture changed (once per block).
    std::function<void(int fd)> watchOutput;
    std::function<void()> pictureChanged;
    // Playback empties the RAM buffer of the live runs.
    std::function<void()> emptyRamBuffer;
    // A line for the session log (a play-list entry that could not be played).
    std::function<void(const std::string& line)> note;
    // Detection and the spectrum window, as the other loops call them.
    std::function<int(std::span<const float> column)> track;
    std::function<int(int channel, std::span<const float> column)> trackChannel; // a stereo file as "Stereo"
    std::function<void(float peakToPeak)> trigger;
    std::function<void()> openDetectionLogs;
    std::function<void()> closeDetectionLogs;
    std::function<void(std::span<const float> column)> plotSpectrum;
};

// What the last run did; kept after it stops.
struct FilePlaybackStatus {
    int outputRate = 0; // samples per second sent to the device: file rate x play speed
    int outputChannels = 0;
    std::string channelMode; // "M", "L", "R", "L+R", "L-R"; "4CH" for four channels
    int64_t blocks = 0;      // blocks queued to the device
    int64_t files = 0;       // files played (the entries of a play list)
    uint64_t underruns = 0;  // times the device ran out of sound while playing (pauses left out)
    double binWidth = 0.0;
    double columnMs = 0.0;
};

struct FilePlaybackContext {
    SettingsModel& settings;
    TaskController& tasks;
    Interaction& interaction;
    SpectrogramRenderer& renderer;
    SpectrumAveraging& averaging;
    CurrentFile& file;
    DeviceLists& devices;
    PlayList& playList;
    FilePlaybackHooks hooks{};
    FilePlaybackStatus status{};
    // Opens the output device at a list position; unset: the device catalog's.
    std::function<OpenedOutput(int position, const StreamFormat& format)> openOutput{};
    uint32_t ditherSeed = 1;
};

// The output rate of a play speed: the file rate x the speed, rounded.
int PlaybackRate(int fileRate, double speed);
// The status line of a playback: " Play Speed" + the speed + "x  " when it is not 1, then " Play ".
std::string PlayingText(double speed);

// Two output slots of one block each are filled in turn: while one plays, the next block is read,
// analysed and drawn into the other. Only the frames read are played, and at the natural end the loop
// waits for the queued sound before it closes the device. GoTo and Skip move the file position during
// play: the loop follows it and the analysis starts from silence there. A play list steps to its next
// entry at the end of each file; an entry of another format starts the output afresh.
class FilePlaybackLoop : public Session {
public:
    static constexpr int kSlots = 2;

    explicit FilePlaybackLoop(FilePlaybackContext& context);
    ~FilePlaybackLoop() override;

    void SetUp() override;
    PassResult Pass() override;
    void CleanUp() override;

    int BlockSize() const { return blockSize_; }

private:
    enum class Phase {
        Stopped,   // nothing open
        Playing,   // slots refilled as they are played
        Draining,  // the data ended: the queued sound plays out, then the run ends
        Switching, // the next entry has another format: the queued sound plays out, then it starts
    };
    enum class Fill { Queued, End, Error };

    bool StartEntry();
    void StopEntry();
    bool CheckFile();
    void ReadSettings();
    bool OpenOutput();
    void Refill();
    Fill FillSlot(int slot);
    int DrawMono(std::span<const int16_t> trace);
    int DrawStereo(std::span<const int16_t> frames);
    void SendOut(std::span<int16_t> slot, int64_t frames);
    void FollowJump();
    void AtEnd();
    bool NextEntry();
    void ShowFile();
    void ShowPosition(bool newScreen);
    bool HoldForPause();
    bool AllPlayed() const;

    FilePlaybackContext& context_;
    Phase phase_ = Phase::Stopped;
    SoundFileInfo info_{};
    std::string path_;
    FileFormatSettings formats_{};
    SoundFileReader reader_;
    std::unique_ptr<ColumnStream> stream_;
    std::unique_ptr<StereoColumns> stereoColumns_; // a stereo file played as "Stereo"
    StereoDisplay display_ = StereoDisplay::Stereo;
    std::unique_ptr<OutputDevice> device_;
    bool drawing_ = false;
    bool logsOpen_ = false;

    int channels_ = 1;
    int outputChannels_ = 1;
    int leftChannel_ = 0; // four channels: the file channels played left and right
    int rightChannel_ = 1;
    StereoChoice stereo_ = StereoChoice::Stereo;
    int blockSize_ = 0;
    int scanStep_ = 0;
    int rows_ = 0;
    bool spectrumWindow_ = false;
    double speed_ = 1.0;
    std::string playText_;

    int64_t position_ = 0;   // the byte position of the next block
    int64_t filePosSet_ = 0; // the file position as the loop last set it: another value is a jump
    int nextSlot_ = 0;
    bool paused_ = false;
    uint64_t underrunsAtPause_ = 0;
    uint64_t pausedUnderruns_ = 0;                                  // the device ran dry while paused
    std::optional<std::chrono::steady_clock::time_point> playedAt_; // draining: when the last slot was done
    std::vector<int16_t> raw_;                                      // one block of interleaved frames
    std::vector<int16_t> mono_;                                     // the analysed trace of the block
};

// Registers the loop in the task 3 slot; the context must outlive the registry's use of it.
void RegisterFilePlaybackLoop(LoopRegistry& loops, FilePlaybackContext& context);

} // namespace ondrix
