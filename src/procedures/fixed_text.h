// A text composed in a fixed buffer of our own: command lines and argument
// texts. Appending never writes past the buffer; a text that would not fit
// is remembered, so the caller can refuse to send a cut-off line.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mpdll::procedures {

template <std::size_t Size>
class FixedText {
    static_assert(Size > 1);

public:
    FixedText& append(std::string_view part) noexcept {
        if (part.size() > Size - 1 - length_) {
            overflow_ = true;
            return *this;
        }
        part.copy(buffer_.data() + length_, part.size());
        length_ += part.size();
        buffer_[length_] = '\0';
        return *this;
    }

    // Signed decimal, like "%d".
    FixedText& append_decimal(std::int32_t value) noexcept { return append_number(value, 10); }

    // Lower-case hexadecimal without leading zeros, like "%x".
    FixedText& append_hex(std::uint32_t value) noexcept { return append_number(value, 16); }

    // Appends part after a comma, or alone when the text is still empty.
    FixedText& append_item(std::string_view part) noexcept {
        if (length_ > 0) {
            append(",");
        }
        return append(part);
    }

    bool fits() const noexcept { return !overflow_; }
    bool empty() const noexcept { return length_ == 0; }
    std::string_view view() const noexcept { return {buffer_.data(), length_}; }
    const char* c_str() const noexcept { return buffer_.data(); }

private:
    template <typename Number>
    FixedText& append_number(Number value, int base) noexcept {
        char digits[16];
        const auto result = std::to_chars(digits, digits + sizeof digits, value, base);
        return append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }

    std::array<char, Size> buffer_{};
    std::size_t length_ = 0;
    bool overflow_ = false;
};

}  // namespace mpdll::procedures
