// Remote control: command sentences in UDP datagrams on a local port, with an echo of each command word
// and a status reply sent to the configured address.
#pragma once

#include "remote/PortBinding.h"
#include "remote/RemoteSentence.h"

#include <QUdpSocket>

#include <cstdint>
#include <functional>
#include <string>

namespace ondrix {

class Interaction;
class MenuModel;
class SettingsModel;
class TaskController;

// What the commands act on. Unset functions do nothing (or tell 0 and "").
struct RemoteEnvironment {
    SettingsModel& settings;
    MenuModel& menus;
    TaskController& tasks;
    Interaction& interaction;
    std::function<void(const std::string& line)> log = nullptr; // a line for the session log
    std::function<void()> snapshot = nullptr;                   // save the spectrogram picture
    std::function<std::string()> recordingFile = nullptr;       // the file a recording run writes
    std::function<int64_t()> fails = nullptr;                   // the last run's capture failures
    std::function<int64_t()> overloads = nullptr;               // and overloaded columns
};

// Follows the "Remote Control" controls of the Basic Settings: the check box opens and closes the command
// socket (clicked or set by restored settings), a new local port rebinds an open socket, and a reply
// address that is not an IP address is refused when typed. Each datagram is shown in txtUDP2 and executed
// from the event loop after its arrival handler has returned, so a Start that runs a session leaves the
// socket free to deliver the next command between the session's passes. Replies go only to RemoteIP2 and
// RemotePort2, and only while the box is checked.
class RemoteControl {
public:
    explicit RemoteControl(RemoteEnvironment environment);
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    // Parses one sentence and executes its command.
    void Execute(const std::string& sentence);
    RemoteStatus Status() const;

    void SetSnapshot(std::function<void()> snapshot) { env_.snapshot = std::move(snapshot); }

private:
    void Open();
    void Close();
    void Receive();
    void Reply(const std::string& text);
    void Log(const std::string& word);
    void ShowStatusLine(const std::string& word);
    bool Enabled() const;

    RemoteEnvironment env_;
    QUdpSocket socket_;
    PortBinding binding_;
    bool open_ = false;
    std::string lastAddress_; // the reply address a refused one is replaced with
};

} // namespace ondrix
