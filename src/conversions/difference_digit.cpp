// One difference digit of a power index table, both ways: the internal
// helpers and the two exports that carry them to the caller.
#include "conversions/difference_digit.h"

#include "mpdll/mpdll.h"
#include "text/text_characters.h"

namespace mpdll::conversions {
namespace {

// Reads a decimal number the way the test program writes one: white space,
// an optional sign, digits. No digits give 0. The magnitude is capped well
// above 8, which keeps huge numbers out of range instead of wrapping them.
std::int64_t read_decimal(const char* text) noexcept {
    while (is_space(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    constexpr std::int64_t kCap = 1000;
    std::int64_t magnitude = 0;
    for (; is_digit(*text); ++text) {
        if (magnitude < kCap) {
            magnitude = magnitude * 10 + (*text - '0');
        }
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace

std::int32_t difference_value(char digit) noexcept {
    const std::int32_t nibble = hex_digit_value(digit);
    if (nibble < 0) {
        return 0;
    }
    return nibble < 8 ? nibble : nibble - 16;
}

char difference_digit(std::int64_t difference) noexcept {
    if (difference < -8 || difference > 7) {
        return '0';
    }
    return kUpperHexDigits[(difference + 16) % 16];
}

}  // namespace mpdll::conversions

using mpdll::conversions::difference_digit;
using mpdll::conversions::difference_value;

MPDLL_API char MPDLL_CALL DiffDec2Hex(const char* decimalText) MPDLL_NOEXCEPT {
    if (decimalText == nullptr) {
        return '0';
    }
    return difference_digit(mpdll::conversions::read_decimal(decimalText));
}

// Only the lowest byte of highDigit counts. The second character is not read
// when the text ends at the first.
MPDLL_API int32_t MPDLL_CALL DiffHex2Dec(const char* pair, int32_t highDigit) MPDLL_NOEXCEPT {
    if (pair == nullptr) {
        return 0;
    }
    if ((highDigit & 0xFF) != 0) {
        return difference_value(pair[0]);
    }
    return pair[0] == '\0' ? 0 : difference_value(pair[1]);
}
