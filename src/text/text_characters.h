// The character classes the library reads texts with, in the C locale and
// never depending on the process's locale: white space, digits, letter case.
#pragma once

namespace mpdll {

// Space, \t, \n, \v, \f, \r.
constexpr bool is_space(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int hex_digit_value(char c) noexcept {
    if (is_digit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// a to z upper-cased; every other character as it is.
constexpr char upper_case(char c) noexcept { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

}  // namespace mpdll
