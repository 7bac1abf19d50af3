// Bounded text writing (see bounded_text.h).
#include "commands/bounded_text.h"

#include <array>

namespace mpdll::commands {

std::string_view text_within(const char* text, std::size_t limit) noexcept {
    if (text == nullptr) return {};
    std::size_t length = 0;
    while (length < limit && text[length] != '\0') ++length;
    return {text, length};
}

BoundedText::BoundedText(std::span<char> out) noexcept : out_(out), fits_(!out.empty()) {
    if (!out_.empty()) out_[0] = '\0';
}

void BoundedText::append(std::string_view text) noexcept {
    if (out_.empty()) return;
    const std::size_t room = out_.size() - 1 - length_;
    const std::size_t taken = text.size() < room ? text.size() : room;
    for (std::size_t i = 0; i < taken; ++i) out_[length_ + i] = text[i];
    length_ += taken;
    out_[length_] = '\0';
    if (taken < text.size()) fits_ = false;
}

void BoundedText::append_number(std::int32_t value) noexcept {
    std::array<char, 12> digits{};  // "-2147483648" is 11 characters
    std::size_t start = digits.size();
    // Work on the negative side so INT32_MIN needs no special case.
    std::int64_t rest = value < 0 ? value : -static_cast<std::int64_t>(value);
    do {
        digits[--start] = static_cast<char>('0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) digits[--start] = '-';
    append(std::string_view(digits.data() + start, digits.size() - start));
}

}  // namespace mpdll::commands
