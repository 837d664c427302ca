#include "common/PrintLine.h"

namespace ondrix {

PrintLine& PrintLine::Item(std::string_view text) {
    text_ += text;
    return *this;
}

PrintLine& PrintLine::NextZone() {
    const std::size_t next = (text_.size() / ZoneWidth + 1) * ZoneWidth;
    text_.resize(next, ' ');
    return *this;
}

std::string ZoneFields(std::initializer_list<std::string_view> fields) {
    PrintLine line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) {
            line.NextZone();
        }
        line.Item(field);
        first = false;
    }
    return line.Text();
}

} // namespace ondrix
