// The TCP block receiver on 127.0.0.1: a sender that sends each block once the previous one is
// acknowledged, blocks of 2048, 1, 3 and 100000 bytes (the last taken as several reads), "no echo",
// the peer closing, a new connection, and a port in use. Built with AddressSanitizer as well, so that
// a write past the receiver's buffer fails the test.
#include "RemoteRig.h"
#include "remote/TcpBlockReceiver.h"

#include <QRegularExpression>

#include <numeric>

#if defined(__SANITIZE_ADDRESS__)
// Qt's own lifetime allocations are no concern of this test.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

namespace ondrix {
namespace {

struct Ack {
    int64_t block, bytes, total;
    friend bool operator==(const Ack&, const Ack&) = default;
};

// The sending unit: blocks out, acknowledgements (which carry no line end) in.
struct Sender {
    explicit Sender(uint16_t port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket.waitForConnected(20000));
    }
    // Sends the block and waits until the acknowledgements cover it.
    std::vector<Ack> Exchange(const QByteArray& block, int64_t totalAfter) {
        socket.write(block);
        std::vector<Ack> acks;
        static const QRegularExpression ack("Acknowledge blocks  (\\d+) of  (\\d+) \\( Total  (\\d+) \\)");
        EXPECT_TRUE(ProcessUntil([&] {
            received += socket.readAll();
            return received.endsWith("( Total  " + QByteArray::number(totalAfter) + " )");
        }));
        for (auto match = ack.globalMatch(QString::fromLatin1(received)); match.hasNext();) {
            const auto m = match.next();
            acks.push_back(
                {m.captured(1).toLongLong(), m.captured(2).toLongLong(), m.captured(3).toLongLong()});
        }
        EXPECT_EQ(received.count("Acknowledge"), static_cast<qsizetype>(acks.size()))
            << received.toStdString();
        received.clear();
        return acks;
    }
    QTcpSocket socket;
    QByteArray received;
};

TEST(TcpReceiver, CountsAcknowledgesSplitsAndListensAgain) {
    EnsureApplication();
    TcpBlockReceiver receiver;
    ASSERT_EQ(receiver.Listen(0, QHostAddress::LocalHost), "");
    const std::string listening = "Listening to port:  " + std::to_string(receiver.Port());
    ASSERT_EQ(receiver.Texts().state, listening);

    QByteArray ramp(2048, '\0');
    for (int i = 0; i < 1024; ++i) {
        const auto sample = static_cast<int16_t>(i * 37 - 20000);
        ramp[2 * i] = static_cast<char>(sample & 0xff);
        ramp[2 * i + 1] = static_cast<char>((sample >> 8) & 0xff);
    }
    const struct {
        QByteArray block;
        int64_t samples; // bytes / 2, rounded half to even
        const char* blockText;
        std::vector<Ack> acks; // empty: checked as a whole below
    } blocks[] = {
        {ramp, 1024, "Received block  1 of  2048 bytes ", {{1, 2048, 2048}}},
        {QByteArray(1, '\x7f'), 0, "Received block  2 of  1 bytes ", {{2, 1, 2049}}},
        {QByteArray(3, '\x01'), 2, "Received block  3 of  3 bytes ", {{3, 3, 2052}}},
        {QByteArray(100000, '\x55'), -1, nullptr, {}},
    };
    for (int connection = 0; connection < 2; ++connection) {
        Sender sender(receiver.Port());
        int64_t total = 0;
        for (const auto& b : blocks) {
            SCOPED_TRACE(b.block.size());
            const int64_t before = total;
            total += b.block.size();
            const std::vector<Ack> acks = sender.Exchange(b.block, total);
            if (!b.acks.empty()) {
                EXPECT_EQ(acks, b.acks);
                EXPECT_EQ(receiver.Texts().block, b.blockText);
                EXPECT_EQ(receiver.SampleCount(), b.samples);
                EXPECT_EQ(receiver.PreviousTotal(), before);
                EXPECT_EQ(receiver.Texts().sample, std::to_string(511 * 37 - 20000));
                continue;
            }
            ASSERT_GT(acks.size(), 1U);
            int64_t sum = before;
            for (std::size_t k = 0; k < acks.size(); ++k) {
                sum += acks[k].bytes;
                EXPECT_EQ(acks[k], (Ack{static_cast<int64_t>(4 + k), acks[k].bytes, sum}));
                EXPECT_LE(acks[k].bytes, TcpBlockReceiver::kBufferBytes);
            }
            EXPECT_EQ(sum, total);
            EXPECT_TRUE(receiver.Texts().totals.starts_with("Total Received  102052 in "))
                << receiver.Texts().totals;
        }
        // No echo: nothing comes back, so the next acknowledgement counts the silent block.
        receiver.SetEcho(false);
        sender.socket.write(QByteArray(10, '\0'));
        ASSERT_TRUE(ProcessUntil([&] { return receiver.Total() == total + 10; }));
        receiver.SetEcho(true);
        const int64_t blocksSoFar = receiver.Blocks();
        EXPECT_EQ(sender.Exchange(QByteArray(2, '\0'), total + 12),
                  (std::vector<Ack>{{blocksSoFar + 1, 2, total + 12}}));

        sender.socket.disconnectFromHost();
        ASSERT_TRUE(ProcessUntil([&] { return receiver.Texts().state.starts_with("Connection closed"); }));
        EXPECT_EQ(receiver.Texts().state, "Connection closed - " + listening);
    }

    TcpBlockReceiver second;
    const std::string refused = second.Listen(receiver.Port(), QHostAddress::LocalHost);
    EXPECT_EQ(refused,
              "Cannot listen to port:  " + std::to_string(receiver.Port()) + " - the port is already in use");
    EXPECT_EQ(second.Texts().state, refused);
}

} // namespace
} // namespace ondrix
