// A line of text laid out in 14-column print zones: "," moves to the next zone, ";" joins directly.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ondrix {

class PrintLine {
public:
    static constexpr int ZoneWidth = 14;

    // Appends text directly at the current column (the ";" join).
    PrintLine& Item(std::string_view text);
    // Pads with blanks to the first zone start strictly after the current column (the "," separator):
    // after an item of exactly 14 characters, or at a zone start, it still moves one zone on.
    PrintLine& NextZone();

    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Fields joined by "," in print zones: each field after the first starts at the next zone.
std::string ZoneFields(std::initializer_list<std::string_view> fields);

} // namespace ondrix
