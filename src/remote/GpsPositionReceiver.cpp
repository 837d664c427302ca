#include "remote/GpsPositionReceiver.h"

#include "remote/GpsSentences.h"
#include "settings/SettingsModel.h"

#include <QNetworkDatagram>

namespace ondrix {

namespace {

constexpr const char* kEnable = "AddUDP";
constexpr const char* kLocalPort = "LocalPort1";

} // namespace

GpsPositionReceiver::GpsPositionReceiver(SettingsModel& settings, Interaction& interaction)
    : settings_(settings), binding_(socket_, settings.Options0(), kLocalPort, interaction) {
    ControlModel& options = settings_.Options0();
    options.AddListener([this](const std::string& name, ControlModel::Change what) {
        if (what != ControlModel::Change::Text) {
            return;
        }
        if (name == kEnable) {
            open_ = settings_.Options0().Checked(kEnable);
            open_ ? binding_.Bind() : binding_.Close();
        } else if (name == kLocalPort && open_ && !binding_.WritingField()) {
            binding_.Bind();
        }
    });
    QObject::connect(&socket_, &QUdpSocket::readyRead, &socket_, [this] { Receive(); });
    if (options.Checked(kEnable)) {
        open_ = true;
        binding_.Bind();
    }
}

void GpsPositionReceiver::Receive() {
    while (socket_.hasPendingDatagrams()) {
        const QByteArray data = socket_.receiveDatagram().data();
        const std::string_view datagram(data.constData(), static_cast<std::size_t>(data.size()));
        settings_.Options0().SetText("Text1", datagram);
        settings_.Form1().SetText("UDPTXT", UdpPositionText(datagram, settings_.Options0().Text("FSep")));
    }
}

} // namespace ondrix
