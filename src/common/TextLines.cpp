#include "common/TextLines.h"

#include <fstream>

namespace ondrix {

void WriteLine(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.write("\r\n", 2);
}

namespace {

// Consumes the LF of a CR LF pair after a CR has been read.
void SkipLineFeedAfterCarriageReturn(std::istream& in) {
    if (in.peek() == '\n') {
        in.get();
    }
}

} // namespace

bool ReadLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (c == '\n') {
            return true;
        }
        if (c == '\r') {
            SkipLineFeedAfterCarriageReturn(in);
            return true;
        }
        line += static_cast<char>(c);
    }
    return any;
}

bool ReadItem(std::istream& in, std::string& item) {
    std::string raw;
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (c == ',' || c == '\n') {
            break;
        }
        if (c == '\r') {
            SkipLineFeedAfterCarriageReturn(in);
            break;
        }
        raw += static_cast<char>(c);
    }
    item = Trim(raw);
    return any;
}

bool AppendLine(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) {
        return false;
    }
    WriteLine(out, text);
    out.close();
    return !out.fail();
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string TrimLeadingBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimTrailingBlanks(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

} // namespace ondrix
