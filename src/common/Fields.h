// Splitting sentences into fields at a one-character separator.
#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Field n (1-based) of text split at the first character of separator ("," when empty). Empty for
// n < 1, for an n beyond the last field and for empty fields.
std::string ExtractField(std::string_view text, std::string_view separator, int n);

} // namespace ondrix
