// Float-to-integer conversions (ties to even, saturating) and the decimal rounding helpers.
#pragma once

#include <cstdint>
#include <string_view>

namespace ondrix {

// Nearest integer as a double, halves to the even neighbour (round(2.5) = 2, round(3.5) = 4).
double RoundHalfEven(double x);

// Nearest integer, halves to even, saturated to the type's range; NaN gives 0.
int32_t RoundToInt32(double x);
int64_t RoundToInt64(double x);

// Integer value of a setting text: TextValue rounded half to even and saturated.
int32_t TextToInt32(std::string_view text);

// The integer part (toward zero) of x * 10^n + 0.5, divided by 10^n.
double RoundTo(double x, int n);

// Number of halvings of n until it is at most 1 (floor(log2 n) for n >= 1, 0 below).
int Log2Floor(int64_t n);

} // namespace ondrix
