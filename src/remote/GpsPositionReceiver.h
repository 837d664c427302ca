// Positions received by UDP: "$GPRMC" datagrams from another computer become the position text that the
// next recording or buffer file name takes.
#pragma once

#include "remote/PortBinding.h"

#include <QUdpSocket>

namespace ondrix {

class Interaction;
class SettingsModel;

// Follows the "UDP Port" controls of the Basic Settings: "Add GPS position received by UDP" (AddUDP)
// opens and closes the socket (clicked or set by restored settings), a new LocalPort1 rebinds an open
// socket. Each datagram is shown in Text1 and its position text, with the FSep separator, in the main
// window's UDPTXT.
class GpsPositionReceiver {
public:
    GpsPositionReceiver(SettingsModel& settings, Interaction& interaction);
    GpsPositionReceiver(const GpsPositionReceiver&) = delete;
    GpsPositionReceiver& operator=(const GpsPositionReceiver&) = delete;

    bool Open() const { return open_; }

private:
    void Receive();

    SettingsModel& settings_;
    QUdpSocket socket_;
    PortBinding binding_;
    bool open_ = false;
};

} // namespace ondrix
