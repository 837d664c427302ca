// The CD player's drive thread: every drive call (opening, reading the table of contents and the audio
// sectors, the tray) runs there, and the sectors read are played through a sound output device, so
// the window thread never waits for the drive.
#pragma once

#include "audio/DeviceCatalog.h"
#include "cd/CdSource.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ondrix {

// What the drive thread last knew; a copy for the window thread.
struct CdStatus {
    bool present = false; // a disc (or image) is open
    uint64_t disc = 0;    // counts the discs read: a new number is a new table of contents
    CdToc toc;
    int32_t position = 0; // the sector being heard (the next to play when not playing)
    bool playing = false;
};

// The 1-based track holding the sector (the last track at or beyond the end); 0 without tracks.
int TrackAt(const CdToc& toc, int32_t sector);

class CdEngine {
public:
    // Opens the output device at a position of the output list for the format (on the drive thread).
    using OutputOpener = std::function<OpenedOutput(int position, const StreamFormat& format)>;

    // Sectors of one output slot.
    static constexpr int kSectorsPerSlot = 8;

    CdEngine(std::unique_ptr<CdSource> source, OutputOpener openOutput);
    ~CdEngine();
    CdEngine(const CdEngine&) = delete;
    CdEngine& operator=(const CdEngine&) = delete;

    // The commands are queued and carried out in order on the drive thread.
    // Reads the disc when none is open (a failure is reported when `report` is set), else checks that
    // it is still in the drive. Not queued again while one is waiting.
    void Probe(bool report = false);
    void Play(int outputPosition);
    void PlayFrom(int32_t sector, int outputPosition);
    void Pause();
    // Stops and goes back to the start of the track being heard.
    void Stop();
    // Stops and goes to the sector.
    void Seek(int32_t sector);
    // Moves by the sectors from the position heard, playing on when playing; a target before the start
    // or beyond the end of the disc is refused with an error and the position stays.
    void Step(int32_t sectors);
    void Door(bool open);

    CdStatus Status() const;
    // The error texts since the last call (a failed open, read, seek or tray move).
    std::vector<std::string> TakeErrors();
    // Waits until every command queued so far has been carried out.
    void Sync();

private:
    enum class Kind { Probe, Report, Play, PlayFrom, Pause, Stop, Seek, Step, Door };
    struct Command {
        Kind kind;
        int32_t value = 0;
        int output = 0;
    };

    void Post(Command command);
    void Run();
    void Execute(const Command& command);
    void DoProbe(bool report);
    void StartOutput(int outputPosition);
    void StopOutput();
    void Feed(bool wait);
    int32_t Heard() const;
    void Error(std::string text);
    void Publish();

    std::unique_ptr<CdSource> source_;
    OutputOpener openOutput_;

    // Drive-thread state.
    CdToc toc_;
    bool present_ = false;
    uint64_t disc_ = 0;
    int32_t position_ = 0; // next sector to read
    bool playing_ = false;
    int lastOutput_ = 0;
    std::unique_ptr<OutputDevice> output_;
    int nextSlot_ = 0;
    std::array<int32_t, 2> queued_{}; // sectors waiting in each slot
    std::vector<int16_t> buffer_;

    // Shared with the window thread.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Command> queue_;
    uint64_t posted_ = 0;
    uint64_t done_ = 0;
    bool probeQueued_ = false;
    bool quit_ = false;
    CdStatus status_;
    std::vector<std::string> errors_;
    std::thread thread_;
};

} // namespace ondrix
