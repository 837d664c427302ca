// Binding a UDP socket to the local port a settings field names, moving on past ports in use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class QUdpSocket;

namespace ondrix {

class ControlModel;
class Interaction;

// Bind closes the socket and binds it to the field's port on every IPv4 address. A port another socket
// holds is reported ("Local Port 11140 already in use"); once the message is acknowledged the field
// moves to the next port and that one is tried. The search ends with a message at a text that is no port
// (past 65535 among them) and at a port the system refuses to this program (below 1024), so it never
// spins. The field's own writes are marked (WritingField) for listeners that react to the field.
class PortBinding {
public:
    static constexpr int32_t kLastPort = 65535;

    PortBinding(QUdpSocket& socket, ControlModel& window, std::string field, Interaction& interaction);
    PortBinding(const PortBinding&) = delete;
    PortBinding& operator=(const PortBinding&) = delete;

    void Bind();
    // Closes the socket; a retry still waiting for its message is dropped.
    void Close();
    bool WritingField() const { return writing_; }

private:
    enum class Outcome { Done, Retry, Waiting };
    Outcome TryOnce(uint64_t attempt);

    QUdpSocket& socket_;
    ControlModel& window_;
    std::string field_;
    Interaction& interaction_;
    uint64_t attempt_ = 0; // a message answered after a newer Bind or Close retries nothing
    bool writing_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace ondrix
