// Reading and writing the entries of a power index table text.
#include "conversions/hex_table_text.h"

#include <cstddef>

#include "text/text_characters.h"

namespace mpdll::conversions {

HexTableText::Entry HexTableText::next() noexcept {
    Entry entry{'\0', '\0'};
    if (next_ == nullptr || next_[0] == '\0') {
        next_ = nullptr;
        return entry;
    }
    entry.high = next_[0];
    if (next_[1] == '\0') {
        next_ = nullptr;
        return entry;
    }
    entry.low = next_[1];
    next_ += 2;
    return entry;
}

std::optional<std::int32_t> read_hex_entry(HexTableText::Entry entry) noexcept {
    const char characters[2] = {entry.high, entry.low};
    std::size_t at = 0;
    while (at < 2 && is_space(characters[at])) {
        ++at;
    }
    bool negative = false;
    if (at < 2 && (characters[at] == '+' || characters[at] == '-')) {
        negative = characters[at] == '-';
        ++at;
    }
    std::int32_t value = 0;
    bool any = false;
    for (; at < 2 && hex_digit_value(characters[at]) >= 0; ++at) {
        value = value * 16 + hex_digit_value(characters[at]);
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

void write_hex_entry(char* out, std::int64_t value) noexcept {
    const std::int64_t byte = value < 0 ? 0 : (value > 255 ? 255 : value);
    out[0] = byte < 16 ? ' ' : kUpperHexDigits[byte / 16];
    out[1] = kUpperHexDigits[byte % 16];
}

}  // namespace mpdll::conversions
