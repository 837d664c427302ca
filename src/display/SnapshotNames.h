// The names snapshots of the picture are saved under.
#pragma once

#include <ctime>
#include <string>

namespace ondrix {

// Where a snapshot is taken: the task, the snapshot folder ("Save Path"), and in the file tasks the
// sound file and the position shown ("00:01:05.250").
struct SnapshotPlace {
    int sessionMode = 1;
    std::string savePath;
    std::string soundFile; // empty when no file is open
    std::string positionText;
};

// The snapshot's path without ".bmp": the snapshot folder + "wSpec " + the time stamp in the live tasks;
// beside the sound file in the file tasks: its folder + "wSpec " + its name without extension + " at " +
// the position without colons + " " + the time stamp. Two snapshots within a second share the name.
std::string SnapshotPath(const SnapshotPlace& place, const std::tm& now);

// The name the save-as dialogs propose in the snapshot folder: "wSpec " + the time stamp; in the file
// tasks "wSpec " + the sound file's name without extension + " " + the position without colons.
std::string SnapshotProposedName(const SnapshotPlace& place, const std::tm& now);

} // namespace ondrix
