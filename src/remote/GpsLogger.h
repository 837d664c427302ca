// The GPS logger of the Special Settings window: NMEA sentences from a serial port, shown, decoded and
// appended to a text file.
#pragma once

#include "remote/GpsSentences.h"

#include <QSerialPort>

#include <string>

namespace ondrix {

class ControlModel;
class Interaction;

// Acts on the "GPS Logger" controls: Start reads until Stop (or, with "Single Shot" checked, until the
// first accepted line); Shot reads one accepted line, shows it in a message and neither logs nor looks at
// "Single Shot". A line is accepted when it begins with the "Leading String / Char" text. Reading reacts
// to data arriving; the port is open only while reading. Start or Shot while reading start anew.
class GpsLogger {
public:
    // A relative log file name is taken in `folder`.
    GpsLogger(ControlModel& options2, Interaction& interaction, std::string folder);
    GpsLogger(const GpsLogger&) = delete;
    GpsLogger& operator=(const GpsLogger&) = delete;

    void Start();
    void Shot();
    // Ends reading and closes the port (Stop, and the window closing).
    void Stop();

    bool Running() const { return mode_ != Mode::Idle; }
    const std::string& LastLine() const { return last_; }
    const GpsPosition& Position() const { return position_; }
    std::size_t Buffered() const { return reader_.Buffered(); }

private:
    enum class Mode { Idle, Continuous, Single };
    void Open(Mode mode);
    void Receive();
    void Accept(const std::string& line);
    std::string LogPath() const;

    ControlModel& window_;
    Interaction& interaction_;
    std::string folder_;
    QSerialPort port_;
    NmeaLineReader reader_;
    Mode mode_ = Mode::Idle;
    std::string last_;
    GpsPosition position_;
};

} // namespace ondrix
