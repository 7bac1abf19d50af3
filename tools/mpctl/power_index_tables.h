// The seven table texts and ten tables of the transmit power index, and the
// checks that keep them within what the library's conversions hold.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mpctl {

// hexPlain1, hexPlain2, hexBaseA, hexBaseB, hexDiff1, hexDiff2, hexDiff3.
using PowerIndexTexts = std::array<std::string, 7>;
// plain1, plain2, baseA, baseB, group1A, group1B, group2A, group2B, group3A, group3B.
using PowerIndexTables = std::array<std::vector<std::int32_t>, 10>;

extern const std::array<const char*, 7> text_names;
extern const std::array<const char*, 10> table_names;

constexpr std::int32_t max_entries = 200;
constexpr std::size_t max_text_length = 399;

// The entry count to decode: requested when it is 0 or more, else enough
// for the longest text. Sets error when a text or the count is too long.
std::int32_t decode_count(const PowerIndexTexts& texts, std::int32_t requested, std::string& error);

PowerIndexTables decode_tables(const PowerIndexTexts& texts, std::int32_t count);

// Reads ten comma-separated lists of the same length. Sets error when a list
// is malformed, the lengths differ, or a value has no two-digit form (plain
// and base 0 to 255, group minus base -8 to 7).
PowerIndexTables parse_tables(const std::vector<std::string>& lists, std::string& error);

PowerIndexTexts encode_tables(const PowerIndexTables& tables);

}  // namespace mpctl
