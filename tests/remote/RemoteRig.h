// Real datagrams on 127.0.0.1 for the remote tests: a free port, a controller that sends sentences and
// collects the replies, and the Qt application every test of the executable shares.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace ondrix {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_remote";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// Processes events until the condition holds; gives up after a generous while so a fault cannot hang.
inline bool ProcessUntil(const std::function<bool()>& condition) {
    for (QDeadlineTimer deadline(20000); !condition() && !deadline.hasExpired();) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

// A port nobody holds right now (the system picks it).
inline int FreePort() {
    QUdpSocket probe;
    EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    return probe.localPort();
}

// The other computer: sends sentences to the command port and keeps every reply, in order.
struct Controller {
    Controller() {
        EnsureApplication();
        EXPECT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams()) {
                const QByteArray data = socket.receiveDatagram().data();
                replies.emplace_back(data.constData(), static_cast<std::size_t>(data.size()));
            }
        });
    }
    void Send(int port, const std::string& sentence) {
        EXPECT_EQ(socket.writeDatagram(sentence.data(), static_cast<qint64>(sentence.size()),
                                       QHostAddress::LocalHost, static_cast<quint16>(port)),
                  static_cast<qint64>(sentence.size()));
    }
    // Waits for `count` replies in all and hands them over.
    std::vector<std::string> Take(std::size_t count) {
        EXPECT_TRUE(ProcessUntil([&] { return replies.size() >= count; })) << replies.size() << " replies";
        std::vector<std::string> taken;
        taken.swap(replies);
        return taken;
    }
    int Port() const { return socket.localPort(); }

    QUdpSocket socket;
    std::vector<std::string> replies;
};

} // namespace ondrix
