// Difference digits of the transmit power index tables: one hexadecimal digit
// that the board reads as a signed 4-bit number (8 to F are -8 to -1).
#pragma once

#include <cstdint>

namespace mpdll::conversions {

// The difference a digit stands for: -8 to 7 for a hexadecimal digit of
// either case, 0 for any other character (blank and NUL included).
std::int32_t difference_value(char digit) noexcept;

// The upper-case digit written for a difference of -8 to 7; '0' for any
// other difference, which has no 4-bit form.
char difference_digit(std::int64_t difference) noexcept;

}  // namespace mpdll::conversions
