// The text form of a power index table: entry i is characters 2i and 2i+1,
// two hexadecimal digits, most significant first, no separators.
#pragma once

#include <cstdint>
#include <optional>

namespace mpdll::conversions {

// Walks a table text entry by entry without ever looking past its
// terminator; characters past the end come back as NUL.
class HexTableText {
  public:
    explicit HexTableText(const char* text) noexcept : next_(text) {}

    struct Entry {
        char high;
        char low;
    };
    Entry next() noexcept;

  private:
    const char* next_;  // null once the terminator has been met
};

// Reads an entry as the board's tools read a two-character text with "%x":
// white space skipped, an optional sign, then hexadecimal digits of either
// case up to the first other character. Nothing when no digit is found.
std::optional<std::int32_t> read_hex_entry(HexTableText::Entry entry) noexcept;

// Writes a value of 0 to 255 as two upper-case characters like "%2X":
// a blank stands in front of a one-digit value. Values outside that range
// are written clamped to it, so an entry never takes more than its two places.
void write_hex_entry(char* out, std::int64_t value) noexcept;

}  // namespace mpdll::conversions
