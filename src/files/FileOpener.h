// Opening and closing the sound file the program analyses, and the File menu's open commands.
#pragma once

#include "files/CurrentFile.h"
#include "files/PlayList.h"
#include "files/SoundFileFormat.h"

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsFiles;
class SettingsModel;
class TaskController;

// The status label of an opened file: "PlayList " while a play list of two or more files is active,
// the name (a name of 97 characters or more as "..\" + the name without its folder), then the size in
// kilobytes + "kb", the sample rate + "s/sec", the channels + "ch" and 16 + "bit", each number with
// its leading blank.
std::string OpenedFileStatusText(const std::string& name, const SoundFileInfo& info, int playListCount);

// The text of the Basic Settings channel list for a file's channel count ("1 - mono", "2 - stereo",
// "4 - 4 channels").
std::string ChannelListText(int channels);

class FileOpener {
public:
    using FormatSettingsSource = std::function<FileFormatSettings()>;
    using LogLine = std::function<void(const std::string&)>;

    FileOpener(SettingsModel& settings, SettingsFiles& settingsFiles, TaskController& tasks,
               Interaction& interaction, CurrentFile& file, FormatSettingsSource formats);
    FileOpener(const FileOpener&) = delete;
    FileOpener& operator=(const FileOpener&) = delete;

    // Makes the file current and, by the Basic Settings options, plays or analyses it at once. A run in
    // progress is stopped first; the file is opened after its clean-up. An empty name does nothing.
    // A single file replaces any play list.
    void OpenFile(const std::string& name);
    // "Play List": the files chosen in a multiple-selection dialog on the play folder, printed as a
    // numbered list on the picture; two or more become the play list and the first is opened.
    void ChoosePlayList();
    // "Close all": forgets the current file and the play list, clears the status label, re-lays out the
    // window and applies the current task again. A running loop keeps what it took at its set-up.
    void CloseFile();
    // The open dialog on the play folder for the extension; `then` gets the chosen file.
    void OpenFileDialog(const std::string& extension, std::function<void(const std::string&)> then);

    // The File menu's open commands and "Close all"; the task hooks "Open .wav" and "Close all".
    void AttachFileCommands(MenuModel& menu);

    // The play list; a count of 0 or 1 means none.
    PlayList& Files() { return playList_; }
    int PlayListCount() const { return playList_.Count(); }
    // The recorded duration of the current file: "00:00:00" once a file is opened.
    const std::string& DurationText() const { return durationText_; }
    // Where a note on the way a file was opened goes (a repaired header): a session-log line.
    void SetLog(LogLine log) { log_ = std::move(log); }
    // Where text for the picture goes (the play list): the picture is cleared and the lines printed.
    void SetPictureText(std::function<void(const std::vector<std::string>&)> print) {
        printOnPicture_ = std::move(print);
    }

private:
    void Open(const std::string& name);
    void OpenNow(const std::string& name);
    void Forget();
    void Refuse(const SoundFileInfo& info);
    void AfterOpening();

    SettingsModel& settings_;
    SettingsFiles& settingsFiles_;
    TaskController& tasks_;
    Interaction& interaction_;
    CurrentFile& file_;
    FormatSettingsSource formats_;
    LogLine log_;
    std::function<void(const std::vector<std::string>&)> printOnPicture_;
    PlayList playList_;
    std::string durationText_;
};

} // namespace ondrix
