// Blocks of 16-bit samples pushed over TCP by a remote sampling unit: one connection at a time, counts,
// throughput and an acknowledgement text for every block.
#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace ondrix {

// The texts of the receiver window.
struct TcpReceiverTexts {
    std::string state;  // listening or connection state (Text4)
    std::string block;  // the last block (Text2)
    std::string totals; // total received and elapsed time (Text5)
    std::string target; // where acknowledgements go (Text3)
    std::string sample; // sample 512 of the buffer (Text1)
};

// Listens on one port; a new connection replaces the current one and restarts the counts. Every read
// is a block of at most kBufferBytes, copied as it arrived to the start of the receiver's own sample
// buffer (byte pairs become little-endian samples): a larger arrival is taken as several blocks and
// nothing is ever written past the buffer. With echo on, each block is answered on the connection with
// "Acknowledge blocks  k of  n ( Total  t )".
class TcpBlockReceiver {
public:
    static constexpr uint16_t kDefaultPort = 1066;
    static constexpr qint64 kBufferBytes = 8192;
    static constexpr std::size_t kSampleIndexShown = 511;

    // `changed` runs after any of the texts changed.
    explicit TcpBlockReceiver(std::function<void()> changed = {});
    TcpBlockReceiver(const TcpBlockReceiver&) = delete;
    TcpBlockReceiver& operator=(const TcpBlockReceiver&) = delete;
    ~TcpBlockReceiver();

    // Starts listening (port 0: any free port). "Listening to port:  1066" once listening, else the
    // reason, which is also returned (empty on success).
    std::string Listen(uint16_t port = kDefaultPort, const QHostAddress& address = QHostAddress::AnyIPv4);
    uint16_t Port() const { return port_; }

    void SetEcho(bool echo) { echo_ = echo; }
    const TcpReceiverTexts& Texts() const { return texts_; }
    std::string PeerAddress() const;

    // What the analysis side may read: the buffer, the samples of the last block (bytes / 2 rounded half
    // to even) and the byte total before it.
    std::span<const int16_t> Samples() const { return samples_; }
    int64_t SampleCount() const { return sampleCount_; }
    int64_t PreviousTotal() const { return previousTotal_; }
    int64_t Total() const { return total_; }
    int64_t Blocks() const { return blocks_; }

private:
    void Accept();
    void Receive();
    void Block(qint64 bytes);
    void Closed();
    QTcpSocket* Detach();
    void Changed();

    std::function<void()> changed_;
    QTcpServer server_;
    QPointer<QTcpSocket> connection_;
    uint16_t port_ = 0;
    bool echo_ = true;
    TcpReceiverTexts texts_;
    std::array<int16_t, kBufferBytes / 2> samples_{};
    int64_t sampleCount_ = 0;
    int64_t previousTotal_ = 0;
    int64_t total_ = 0;
    int64_t blocks_ = 0;
    QElapsedTimer sinceFirst_; // monotonic
};

} // namespace ondrix
