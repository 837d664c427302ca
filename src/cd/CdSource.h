// The CD drive or disc image the player reads: its table of contents and its audio sectors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

// CD audio: 75 sectors a second, 588 stereo frames of 16-bit samples at 44100 Hz in each.
inline constexpr int kCdSectorsPerSecond = 75;
inline constexpr int kCdFramesPerSector = 588;
inline constexpr int kCdSampleRate = 44100;

struct CdTrack {
    int32_t start = 0;   // first sector, counted from the start of the first track
    int32_t sectors = 0; // length up to the next track (or the lead-out)
};

// The tracks of a disc in order: track n is tracks[n - 1].
struct CdToc {
    std::vector<CdTrack> tracks;
    int32_t EndSector() const { return tracks.empty() ? 0 : tracks.back().start + tracks.back().sectors; }
};

// Every call may block on the drive; the player makes them on its own thread only.
class CdSource {
public:
    virtual ~CdSource() = default;
    // Opens the drive or image and reads its tracks; nothing, with the reason, when there is no disc.
    virtual std::optional<CdToc> Open(std::string& reason) = 0;
    // Whether the disc opened last is still the one in the drive.
    virtual bool StillPresent() = 0;
    // Reads whole audio sectors from `first` into out (kCdFramesPerSector x 2 samples each).
    virtual bool Read(int32_t first, int sectors, std::span<int16_t> out, std::string& reason) = 0;
    // Opens or closes the tray.
    virtual bool SetDoor(bool open, std::string& reason) = 0;
    virtual void Close() = 0;
};

// A drive or a .cue/.bin image through libcdio: the source named (a device or a .cue file), else
// $ONDRIX_CD_DEVICE, else libcdio's default drive.
std::unique_ptr<CdSource> MakeLibcdioSource(std::string source = {});

} // namespace ondrix
