// NMEA position sentences: lines out of a serial byte stream, the position fields of an accepted line,
// the position text of a datagram and the serial port a settings text names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// Cuts a byte stream into lines. CR LF, LF and a lone CR each end a line, and the line end is not part
// of the line; empty lines are skipped. A line that grows past kMaxLine bytes (a wrong baud rate, a
// device that never sends a line feed) is dropped up to its line end, so the buffer never grows beyond it.
class NmeaLineReader {
public:
    static constexpr std::size_t kMaxLine = 1024;

    void Feed(std::string_view bytes, const std::function<void(const std::string& line)>& line);
    void Clear();
    std::size_t Buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
    bool afterCr_ = false;  // a LF right after a CR ends no second line
    bool dropping_ = false; // the current line outgrew kMaxLine
};

// Latitude and longitude of an accepted line as degrees, a blank and minutes ("45 30.1234",
// "009 12.3456"); empty where the line has no such field.
struct GpsPosition {
    std::string latitude;
    std::string longitude;
};

// The latitude is field latField of the line split at ",", its first two characters the degrees; the
// longitude is field longField, with three characters of degrees.
GpsPosition DecodeString(std::string_view line, int latField, int longField);

// The position text of a datagram: latitude, N or S, the separator, longitude, E or W, taken from the
// fields 4 to 7 of a "$GPRMC" sentence; for any other datagram the separator alone.
std::string UdpPositionText(std::string_view datagram, std::string_view separator);

// The device a "Com Port Number" names: a path as given, a number n as /dev/ttyS(n-1).
std::string SerialPortName(std::string_view comPort);

// Port settings such as "4800,N,8,1": baud rate, parity (N, E, O, M or S), data bits (5 to 8) and stop
// bits (1, 1.5 or 2). Nothing when the text is not of that form.
struct SerialSettings {
    int32_t baud = 4800;
    char parity = 'N';
    int dataBits = 8;
    double stopBits = 1;
    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};
std::optional<SerialSettings> ParseSerialSettings(std::string_view text);

} // namespace ondrix
