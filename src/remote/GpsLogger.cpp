#include "remote/GpsLogger.h"

#include "common/Interaction.h"
#include "common/TextLines.h"
#include "settings/ControlModel.h"

namespace ondrix {

namespace {

QSerialPort::Parity ParityOf(char letter) {
    switch (letter) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits StopBitsOf(double stopBits) {
    return stopBits == 2     ? QSerialPort::TwoStop
           : stopBits == 1.5 ? QSerialPort::OneAndHalfStop
                             : QSerialPort::OneStop;
}

} // namespace

GpsLogger::GpsLogger(ControlModel& options2, Interaction& interaction, std::string folder)
    : window_(options2), interaction_(interaction), folder_(std::move(folder)) {
    window_.DeclareActions({"StartGPS", "StopGPS", "Command10"});
    window_.AddActionHandler([this](const std::string& name, ControlModel::Action action) {
        if (action != ControlModel::Action::Clicked) {
            return;
        }
        if (name == "StartGPS") {
            Start();
        } else if (name == "StopGPS") {
            Stop();
        } else if (name == "Command10") {
            Shot();
        }
    });
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { Receive(); });
    // A device that goes away ends the reading instead of leaving a dead port open.
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError && Running()) {
            const std::string reason = port_.errorString().toStdString();
            Stop();
            window_.SetText("GpsString", "Cannot read " + port_.portName().toStdString() + ": " + reason);
        }
    });
}

void GpsLogger::Start() {
    Open(Mode::Continuous);
}

void GpsLogger::Shot() {
    Open(Mode::Single);
}

void GpsLogger::Stop() {
    mode_ = Mode::Idle;
    if (port_.isOpen()) {
        port_.close();
    }
    reader_.Clear();
}

void GpsLogger::Open(Mode mode) {
    Stop();
    const std::string name = SerialPortName(window_.Text("ComPort"));
    const std::optional<SerialSettings> settings = ParseSerialSettings(window_.Text("ComSet"));
    if (!settings) {
        interaction_.ShowMessage("Cannot open " + name + ": the port settings \"" + window_.Text("ComSet") +
                                     "\" are not baud rate,parity,data bits,stop bits",
                                 MessageIcon::Exclamation);
        return;
    }
    port_.setPortName(QString::fromStdString(name));
    if (!port_.open(QIODevice::ReadOnly)) {
        interaction_.ShowMessage("Cannot open " + name + ": " + port_.errorString().toStdString(),
                                 MessageIcon::Exclamation);
        return;
    }
    const bool applied = port_.setBaudRate(settings->baud) && port_.setParity(ParityOf(settings->parity)) &&
                         port_.setDataBits(static_cast<QSerialPort::DataBits>(settings->dataBits)) &&
                         port_.setStopBits(StopBitsOf(settings->stopBits));
    if (!applied) {
        const std::string reason = port_.errorString().toStdString();
        port_.close();
        interaction_.ShowMessage("Cannot open " + name + ": " + reason, MessageIcon::Exclamation);
        return;
    }
    mode_ = mode;
    window_.SetText("GpsString", "waiting for <" + window_.Text("LeadChar") + "> & LineFeed character");
}

void GpsLogger::Receive() {
    const QByteArray bytes = port_.readAll();
    reader_.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                 [this](const std::string& line) {
                     if (Running() && line.starts_with(window_.Text("LeadChar"))) {
                         Accept(line);
                     }
                 });
}

void GpsLogger::Accept(const std::string& line) {
    position_ = DecodeString(line, window_.IntValue("LatStringPos"), window_.IntValue("LongStringPos"));
    last_ = line;
    window_.SetText("GpsString", line);
    if (mode_ == Mode::Single) {
        Stop();
        interaction_.ShowMessage(line, MessageIcon::Information);
        return;
    }
    if (window_.Checked("LogToFile")) {
        AppendLine(LogPath(), line);
    }
    if (window_.Checked("SingleShot")) {
        Stop();
    }
}

std::string GpsLogger::LogPath() const {
    const std::string& name = window_.Text("LogName");
    return name.starts_with('/') ? name : folder_ + name;
}

} // namespace ondrix
