// The "TcpIP Receiver" window: a thin view of a TCP block receiver.
#pragma once

#include "remote/TcpBlockReceiver.h"

#include <QWidget>

#include <map>
#include <string>

class QLineEdit;

namespace ondrix {

class Interaction;
class SettingsModel;

// Listens as soon as it is built and stops when it is destroyed. The window caption is the host name
// and its address; a port that cannot be listened on is also reported in a message. "OK" names the
// sender in the main window's Label4; "Exit" has no action and stays disabled.
class TcpReceiverWindow : public QWidget {
public:
    TcpReceiverWindow(SettingsModel& settings, Interaction& interaction,
                      uint16_t port = TcpBlockReceiver::kDefaultPort, QWidget* parent = nullptr);

    TcpBlockReceiver& Receiver() { return receiver_; }

private:
    void Show();

    TcpBlockReceiver receiver_;
    std::map<std::string, QLineEdit*> fields_; // by control name
};

} // namespace ondrix
