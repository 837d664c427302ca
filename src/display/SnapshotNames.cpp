#include "display/SnapshotNames.h"

#include "common/Clock.h"
#include "common/Paths.h"

#include <algorithm>

namespace ondrix {

namespace {

bool FileTask(const SnapshotPlace& place) {
    return (place.sessionMode == 3 || place.sessionMode == 4) && !place.soundFile.empty();
}

std::string WithoutColons(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    return text;
}

std::string SoundName(const SnapshotPlace& place) {
    return StripExtension(FileNameOfPath(place.soundFile));
}

} // namespace

std::string SnapshotPath(const SnapshotPlace& place, const std::tm& now) {
    if (!FileTask(place)) {
        return WithTrailingSlash(place.savePath) + "wSpec " + FileTimeStamp(now);
    }
    return FolderOfPath(place.soundFile) + "wSpec " + SoundName(place) + " at " +
           WithoutColons(place.positionText) + " " + FileTimeStamp(now);
}

std::string SnapshotProposedName(const SnapshotPlace& place, const std::tm& now) {
    if (!FileTask(place)) {
        return "wSpec " + FileTimeStamp(now);
    }
    return "wSpec " + SoundName(place) + " " + WithoutColons(place.positionText);
}

} // namespace ondrix
