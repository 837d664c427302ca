// Numbers as texts and texts as numbers, with the conventions every saved file, log and label uses.
#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Significant digits: single-precision values print with 7, doubles with 15.
enum class Precision { Single, Double };

// The digits of a number: "%.7G" or "%.15G", no zero before the point (".5", "-.25"), the exponent
// as "E+20"/"E-05", and "-0" printed as "0".
std::string NumberDigits(double value, Precision precision = Precision::Double);

// Message and label form: a non-negative number carries one leading blank (" 5", "-5", " .5").
std::string NumberText(double value, Precision precision = Precision::Double);

// List and field form: no leading blank ("2048", "-5").
std::string BareNumberText(double value, Precision precision = Precision::Double);

// Log-item form: the leading blank of NumberText plus one trailing blank (" 5 ", "-5 ").
std::string LogItemText(double value, Precision precision = Precision::Double);

// The leading number of a text: blanks skipped, an optional sign, digits with at most one ".",
// stopping at anything else; no number gives 0 ("4 Mbytes" -> 4, "1.5e3" -> 1.5, "off" -> 0).
double TextValue(std::string_view text);

} // namespace ondrix
