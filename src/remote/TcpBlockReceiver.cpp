#include "remote/TcpBlockReceiver.h"

#include "common/NumberText.h"
#include "common/Rounding.h"

namespace ondrix {

namespace {

std::string ListeningText(uint16_t port) {
    return "Listening to port: " + NumberText(port);
}

} // namespace

TcpBlockReceiver::TcpBlockReceiver(std::function<void()> changed) : changed_(std::move(changed)) {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { Accept(); });
}

TcpBlockReceiver::~TcpBlockReceiver() {
    delete Detach();
}

// The connection served so far, no longer reporting to this receiver.
QTcpSocket* TcpBlockReceiver::Detach() {
    QTcpSocket* old = connection_.data();
    connection_ = nullptr;
    if (old != nullptr) {
        old->disconnect();
    }
    return old;
}

std::string TcpBlockReceiver::Listen(uint16_t port, const QHostAddress& address) {
    server_.close();
    if (!server_.listen(address, port)) {
        const std::string reason = server_.serverError() == QAbstractSocket::AddressInUseError
                                       ? "the port is already in use"
                                       : server_.errorString().toStdString();
        texts_.state = "Cannot listen to port: " + NumberText(port) + " - " + reason;
        Changed();
        return texts_.state;
    }
    port_ = server_.serverPort();
    texts_.state = ListeningText(port_);
    Changed();
    return {};
}

std::string TcpBlockReceiver::PeerAddress() const {
    return connection_ ? connection_->peerAddress().toString().toStdString() : std::string();
}

// The request replaces any connection served so far.
void TcpBlockReceiver::Accept() {
    while (QTcpSocket* incoming = server_.nextPendingConnection()) {
        delete Detach();
        connection_ = incoming;
        // Qt reads no more from the system than one block, so a flood waits in the system's buffers.
        incoming->setReadBufferSize(kBufferBytes);
        texts_.state = "Connection request id " +
                       NumberText(static_cast<double>(incoming->socketDescriptor())) + " from " +
                       PeerAddress();
        total_ = 0;
        blocks_ = 0;
        QObject::connect(incoming, &QTcpSocket::readyRead, incoming, [this, incoming] {
            if (incoming == connection_) {
                Receive();
            }
        });
        QObject::connect(incoming, &QTcpSocket::disconnected, incoming, [this, incoming] {
            if (incoming == connection_) {
                Closed();
            }
        });
        Changed();
    }
}

void TcpBlockReceiver::Receive() {
    auto* bytes = reinterpret_cast<char*>(samples_.data());
    while (connection_ && connection_->bytesAvailable() > 0) {
        const qint64 got = connection_->read(bytes, kBufferBytes);
        if (got <= 0) {
            break;
        }
        Block(got);
    }
}

void TcpBlockReceiver::Block(qint64 bytes) {
    if (total_ == 0) {
        sinceFirst_.start();
    }
    sampleCount_ = RoundToInt64(static_cast<double>(bytes) / 2);
    previousTotal_ = total_;
    ++blocks_;
    texts_.block = "Received block " + NumberText(static_cast<double>(blocks_)) + " of " +
                   NumberText(static_cast<double>(bytes)) + " bytes ";
    total_ += bytes;
    const double elapsed = static_cast<double>(sinceFirst_.elapsed()) / 1000;
    texts_.sample = BareNumberText(samples_[kSampleIndexShown]);
    texts_.totals = "Total Received " + NumberText(static_cast<double>(total_)) + " in " +
                    NumberText(elapsed, Precision::Single) + " seconds";
    if (echo_) {
        texts_.target = "Acknowledge to " + PeerAddress();
        const std::string ack = "Acknowledge blocks " + NumberText(static_cast<double>(blocks_)) + " of " +
                                NumberText(static_cast<double>(bytes)) + " ( Total " +
                                NumberText(static_cast<double>(total_)) + " )";
        connection_->write(ack.data(), static_cast<qint64>(ack.size()));
    }
    Changed();
}

void TcpBlockReceiver::Closed() {
    Receive(); // what arrived before the close
    Detach()->deleteLater();
    texts_.state = "Connection closed - " + ListeningText(port_);
    Changed();
}

void TcpBlockReceiver::Changed() {
    if (changed_) {
        changed_();
    }
}

} // namespace ondrix
