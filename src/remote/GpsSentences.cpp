#include "remote/GpsSentences.h"

#include "common/Fields.h"
#include "common/NumberText.h"
#include "common/Rounding.h"

#include <algorithm>
#include <cctype>

namespace ondrix {

void NmeaLineReader::Feed(std::string_view bytes, const std::function<void(const std::string& line)>& line) {
    for (const char c : bytes) {
        const bool lf = c == '\n';
        if (c == '\r' || lf) {
            const bool secondOfPair = lf && afterCr_;
            afterCr_ = c == '\r';
            if (secondOfPair) {
                continue;
            }
            const bool whole = !dropping_ && !buffer_.empty();
            dropping_ = false;
            std::string complete;
            complete.swap(buffer_);
            if (whole) {
                line(complete);
            }
            continue;
        }
        afterCr_ = false;
        if (dropping_) {
            continue;
        }
        if (buffer_.size() >= kMaxLine) {
            buffer_.clear();
            buffer_.shrink_to_fit();
            dropping_ = true;
            continue;
        }
        buffer_.push_back(c);
    }
}

void NmeaLineReader::Clear() {
    buffer_.clear();
    afterCr_ = false;
    dropping_ = false;
}

namespace {

// Degrees (the first `degreeDigits` characters), a blank and the minutes; empty for an empty field.
std::string DegreesAndMinutes(const std::string& field, std::size_t degreeDigits) {
    if (field.empty()) {
        return {};
    }
    return field.substr(0, degreeDigits) + " " + field.substr(std::min(degreeDigits, field.size()));
}

} // namespace

GpsPosition DecodeString(std::string_view line, int latField, int longField) {
    return {.latitude = DegreesAndMinutes(ExtractField(line, ",", latField), 2),
            .longitude = DegreesAndMinutes(ExtractField(line, ",", longField), 3)};
}

std::string UdpPositionText(std::string_view datagram, std::string_view separator) {
    if (ExtractField(datagram, ",", 1) != "$GPRMC") {
        return std::string(separator);
    }
    return ExtractField(datagram, ",", 4) + ExtractField(datagram, ",", 5) + std::string(separator) +
           ExtractField(datagram, ",", 6) + ExtractField(datagram, ",", 7);
}

std::string SerialPortName(std::string_view comPort) {
    if (comPort.starts_with('/')) {
        return std::string(comPort);
    }
    return "/dev/ttyS" + BareNumberText(RoundHalfEven(TextValue(comPort)) - 1);
}

std::optional<SerialSettings> ParseSerialSettings(std::string_view text) {
    const std::string baud = ExtractField(text, ",", 1);
    const std::string parity = ExtractField(text, ",", 2);
    const std::string data = ExtractField(text, ",", 3);
    const std::string stop = ExtractField(text, ",", 4);
    SerialSettings settings{
        .baud = static_cast<int32_t>(std::clamp(TextValue(baud), 0.0, 1e8)),
        .parity =
            parity.size() == 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(parity[0]))) : '?',
        .dataBits = static_cast<int>(std::clamp(TextValue(data), 0.0, 99.0)),
        .stopBits = TextValue(stop)};
    const bool valid = settings.baud > 0 &&
                       std::string_view("NEOMS").find(settings.parity) != std::string_view::npos &&
                       settings.dataBits >= 5 && settings.dataBits <= 8 &&
                       (settings.stopBits == 1 || settings.stopBits == 1.5 || settings.stopBits == 2) &&
                       ExtractField(text, ",", 5).empty();
    if (!valid) {
        return std::nullopt;
    }
    return settings;
}

} // namespace ondrix
