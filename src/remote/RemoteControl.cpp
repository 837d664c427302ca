#include "remote/RemoteControl.h"

#include "common/Interaction.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <QHostAddress>
#include <QNetworkDatagram>

#include <cmath>

namespace ondrix {

namespace {

constexpr const char* kEnable = "chkUDPSlave";
constexpr const char* kLocalPort = "LocalPort2";
constexpr const char* kReplyAddress = "RemoteIP2";
constexpr const char* kReplyPort = "RemotePort2";
constexpr const char* kShown = "txtUDP2";

// The mode commands stop a running session and give its loop this long to see the stop.
constexpr float kModeSwitchWait = 0.5f;

} // namespace

RemoteControl::RemoteControl(RemoteEnvironment environment)
    : env_(std::move(environment)),
      binding_(socket_, env_.settings.Options0(), kLocalPort, env_.interaction) {
    ControlModel& options = env_.settings.Options0();
    lastAddress_ = options.Text(kReplyAddress);
    options.AddListener([this](const std::string& name, ControlModel::Change what) {
        if (what != ControlModel::Change::Text) {
            return;
        }
        if (name == kEnable) {
            env_.settings.Options0().Checked(kEnable) ? Open() : Close();
        } else if (name == kLocalPort && open_ && !binding_.WritingField()) {
            binding_.Bind();
        } else if (name == kReplyAddress && IsIpAddress(env_.settings.Options0().Text(kReplyAddress))) {
            lastAddress_ = env_.settings.Options0().Text(kReplyAddress);
        }
    });
    options.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        ControlModel& options = env_.settings.Options0();
        if (name == kReplyAddress && action == ControlModel::Action::Typed &&
            !IsIpAddress(options.Text(name))) {
            env_.interaction.ShowMessage(options.Text(name) + " is not an IP address: feedback goes to " +
                                             lastAddress_,
                                         MessageIcon::Exclamation);
            options.SetText(kReplyAddress, lastAddress_);
        }
    });
    QObject::connect(&socket_, &QUdpSocket::readyRead, &socket_, [this] { Receive(); });
    if (options.Checked(kEnable)) {
        Open();
    }
}

void RemoteControl::Open() {
    open_ = true;
    binding_.Bind();
    env_.settings.Options0().SetText(kShown, "Enabled");
}

void RemoteControl::Close() {
    open_ = false;
    binding_.Close();
    env_.settings.Options0().SetText(kShown, "Disabled");
}

bool RemoteControl::Enabled() const {
    return env_.settings.Options0().Checked(kEnable);
}

// Every datagram waiting is read now; each is executed as a posted event of its own, after this handler
// has returned (a socket does not announce new datagrams while its arrival handler runs).
void RemoteControl::Receive() {
    while (socket_.hasPendingDatagrams()) {
        const QByteArray data = socket_.receiveDatagram().data();
        std::string sentence(data.constData(), static_cast<std::size_t>(data.size()));
        QMetaObject::invokeMethod(
            &socket_,
            [this, sentence = std::move(sentence)] {
                env_.settings.Options0().SetText(kShown, sentence);
                Execute(sentence);
            },
            Qt::QueuedConnection);
    }
}

void RemoteControl::Reply(const std::string& text) {
    const ControlModel& options = env_.settings.Options0();
    const QHostAddress address(QString::fromStdString(options.Text(kReplyAddress)));
    const double port = std::round(options.Value(kReplyPort));
    if (address.isNull() || !(port >= 1 && port <= PortBinding::kLastPort)) {
        return; // a reply that cannot be sent is not reported
    }
    socket_.writeDatagram(text.data(), static_cast<qint64>(text.size()), address, static_cast<quint16>(port));
}

void RemoteControl::Log(const std::string& word) {
    if (env_.log) {
        env_.log(word);
    }
}

void RemoteControl::ShowStatusLine(const std::string& word) {
    env_.settings.Form1().SetText("StatusLine", word);
}

RemoteStatus RemoteControl::Status() const {
    return {.stopped = env_.tasks.SessionStopped(),
            .mode = env_.tasks.SessionMode(),
            .recordingFile = env_.recordingFile ? env_.recordingFile() : std::string(),
            .sampleRate = env_.settings.Analysis().sampleRate,
            .channels = env_.settings.Analysis().channelCount,
            .fails = env_.fails ? env_.fails() : 0,
            .overloads = env_.overloads ? env_.overloads() : 0};
}

// A running session is only asked to stop: its loop is below on the call stack and ends once this returns.
// What the mode commands do after the stop, and a Start while a stopped session still cleans up, wait for
// the clean-up (RequestStopThen), so no loop ever runs inside another.
void RemoteControl::Execute(const std::string& sentence) {
    const std::optional<std::string> found = CommandWord(sentence);
    if (!found) {
        return;
    }
    const std::string word = *found;
    if (Enabled()) {
        Reply(word);
    }
    TaskController& tasks = env_.tasks;
    switch (CommandFromWord(word)) {
    case RemoteCommand::DisplayMode:
    case RemoteCommand::RecMode: {
        const bool recording = CommandFromWord(word) == RemoteCommand::RecMode;
        Log(word);
        if (!tasks.SessionStopped()) {
            tasks.StartStop();
            tasks.WaitWithEvents(kModeSwitchWait);
        }
        tasks.RequestStopThen([this, word, recording] {
            if (recording) {
                ShowStatusLine(word);
                env_.menus.Trigger("RealTimeRecording");
            } else {
                env_.menus.Trigger("RealTimeAnalysis");
                ShowStatusLine(word);
            }
        });
        break;
    }
    case RemoteCommand::Start:
        Log(word);
        ShowStatusLine(word);
        if (tasks.SessionStopped()) {
            // One start however many Starts arrive while a stopped session cleans up.
            const int runs = tasks.RunsStarted();
            tasks.RequestStopThen([&tasks, runs] {
                if (tasks.RunsStarted() == runs) {
                    tasks.StartStop();
                }
            });
        }
        break;
    case RemoteCommand::Stop:
        Log(word);
        if (!tasks.SessionStopped()) {
            tasks.StartStop();
        }
        ShowStatusLine(word);
        break;
    case RemoteCommand::SaveBuffer:
        Log(word);
        ShowStatusLine(word);
        env_.menus.Trigger("SaveBuffer");
        break;
    case RemoteCommand::Snapshot:
        Log(word);
        if (env_.snapshot) {
            env_.snapshot();
        }
        ShowStatusLine(word);
        break;
    case RemoteCommand::Status:
        if (Enabled()) {
            Reply(StatusText(Status()));
        }
        break;
    case RemoteCommand::Unknown:
        break;
    }
}

} // namespace ondrix
