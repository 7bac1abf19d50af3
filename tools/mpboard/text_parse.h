// Small strict parsers for command arguments as the board's tools read them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mpboard {

// The whole text is one decimal integer (optional minus sign).
bool parse_int(std::string_view text, long long& value);
// The whole text is a hexadecimal number of 1 to 8 digits.
bool parse_hex32(std::string_view text, std::uint32_t& value);
// Six two-digit hex numbers joined by colons (17 characters).
bool is_mac_address(std::string_view text);
// Splits on runs of blanks and tabs.
std::vector<std::string> split_words(std::string_view line);
// Splits on a single separator, keeping empty pieces.
std::vector<std::string> split_on(std::string_view text, char separator);
// Upper-case copy (ASCII).
std::string to_upper(std::string_view text);

}  // namespace mpboard
