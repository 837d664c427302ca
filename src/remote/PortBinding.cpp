#include "remote/PortBinding.h"

#include "common/Interaction.h"
#include "settings/ControlModel.h"

#include <QHostAddress>
#include <QUdpSocket>

#include <cmath>
#include <memory>

namespace ondrix {

PortBinding::PortBinding(QUdpSocket& socket, ControlModel& window, std::string field,
                         Interaction& interaction)
    : socket_(socket), window_(window), field_(std::move(field)), interaction_(interaction) {}

void PortBinding::Bind() {
    const uint64_t attempt = ++attempt_;
    while (TryOnce(attempt) == Outcome::Retry) {
    }
}

void PortBinding::Close() {
    ++attempt_;
    socket_.close();
}

PortBinding::Outcome PortBinding::TryOnce(uint64_t attempt) {
    socket_.close();
    const std::string text = window_.Text(field_);
    const double value = std::round(window_.Value(field_));
    if (!(value >= 1 && value <= kLastPort)) {
        interaction_.ShowMessage("Local Port " + text + " is not a port from 1 to 65535: no port is open",
                                 MessageIcon::Exclamation);
        return Outcome::Done;
    }
    const auto port = static_cast<quint16>(value);
    if (socket_.bind(QHostAddress(QHostAddress::AnyIPv4), port, QAbstractSocket::DontShareAddress)) {
        return Outcome::Done;
    }
    if (socket_.error() == QAbstractSocket::SocketAccessError) {
        interaction_.ShowMessage("Local Port " + text + " cannot be opened by this program: no port is open",
                                 MessageIcon::Exclamation);
        return Outcome::Done;
    }
    // A message answered before ShowMessage returns retries in Bind's loop, not by recursing once per port.
    struct Answer {
        bool returned = false;
        bool retry = false;
    };
    const auto answer = std::make_shared<Answer>();
    const std::weak_ptr<bool> alive = alive_;
    interaction_.ShowMessage("Local Port " + text + " already in use", MessageIcon::Exclamation,
                             [this, alive, attempt, port, answer] {
                                 if (alive.expired() || attempt != attempt_) {
                                     return;
                                 }
                                 writing_ = true;
                                 window_.SetText(field_, std::to_string(port + 1));
                                 writing_ = false;
                                 if (answer->returned) {
                                     Bind();
                                 } else {
                                     answer->retry = true;
                                 }
                             });
    answer->returned = true;
    return answer->retry ? Outcome::Retry : Outcome::Waiting;
}

} // namespace ondrix
