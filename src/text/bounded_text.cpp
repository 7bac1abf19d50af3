// Composing a text within its buffer (see bounded_text.h).
#include "text/bounded_text.h"

#include <algorithm>
#include <charconv>

namespace mpdll {
namespace {

// The digits of value in base, as "%d" or "%x" would print them.
template <typename Number>
TextComposer& append_number(TextComposer& text, Number value, int base) noexcept {
    char digits[16];  // "-2147483648" is 11 characters, "ffffffff" 8
    const auto result = std::to_chars(digits, digits + sizeof digits, value, base);
    return text.append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

}  // namespace

TextComposer::TextComposer(std::span<char> out) noexcept : out_(out), fits_(!out.empty()) {
    if (!out_.empty()) out_[0] = '\0';
}

TextComposer& TextComposer::append(std::string_view text) noexcept {
    if (out_.empty()) return *this;
    const std::size_t room = out_.size() - 1 - length_;
    const std::size_t taken = std::min(text.size(), room);
    std::copy_n(text.data(), taken, out_.data() + length_);
    length_ += taken;
    out_[length_] = '\0';
    if (taken < text.size()) fits_ = false;
    return *this;
}

TextComposer& TextComposer::append_decimal(std::int32_t value) noexcept { return append_number(*this, value, 10); }

TextComposer& TextComposer::append_hex(std::uint32_t value) noexcept { return append_number(*this, value, 16); }

TextComposer& TextComposer::append_item(std::string_view text) noexcept {
    if (length_ > 0) append(",");
    return append(text);
}

}  // namespace mpdll
