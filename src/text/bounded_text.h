// Bounded reads and writes of texts: a text is read only within its area,
// terminated or not, and a composed text never runs past its buffer, always
// ends in a terminator and tells whether anything had to be cut.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>  // strnlen
#include <span>
#include <string_view>

namespace mpdll {

// The text at `text` up to its first NUL, reading at most `limit` bytes; an
// empty view for a null pointer.
inline std::string_view text_within(const char* text, std::size_t limit) noexcept {
    return text ? std::string_view{text, strnlen(text, limit)} : std::string_view{};
}

// The text of a fixed-size char field: up to its first NUL or its last byte.
template <std::size_t N>
std::string_view field_text(const char (&field)[N]) noexcept {
    return text_within(field, N);
}

// A text written into a buffer it does not own, at most out.size() - 1
// characters and a terminator. What does not fit is cut, and the cut is
// remembered, so a line that lost its end can be refused instead of sent.
class TextComposer {
  public:
    // Starts out as the empty text (out[0] is set to NUL when out has room).
    explicit TextComposer(std::span<char> out) noexcept;
    TextComposer& append(std::string_view text) noexcept;
    // Signed decimal, like "%d".
    TextComposer& append_decimal(std::int32_t value) noexcept;
    // Lower-case hexadecimal without leading zeros, like "%x".
    TextComposer& append_hex(std::uint32_t value) noexcept;
    // Appends text after a comma, or alone while the text is still empty.
    TextComposer& append_item(std::string_view text) noexcept;

    // False once anything did not fit.
    bool fits() const noexcept { return fits_; }
    std::string_view view() const noexcept { return {out_.data(), length_}; }
    // The terminated text ("" when out had no room at all).
    const char* c_str() const noexcept { return out_.empty() ? "" : out_.data(); }

  protected:
    // Takes over the text and its state from `from`; out already holds a
    // copy of from's characters.
    TextComposer(std::span<char> out, const TextComposer& from) noexcept
        : out_(out), length_(from.length_), fits_(from.fits_) {}

  private:
    std::span<char> out_;
    std::size_t length_ = 0;
    bool fits_;
};

// Copies as much of text as fits before a terminator; returns the length copied.
inline std::size_t copy_text(std::span<char> out, std::string_view text) noexcept {
    return TextComposer(out).append(text).view().size();
}

// The buffer a FixedText composes in (a base, so that it is there before
// the composer that writes into it).
template <std::size_t Size>
struct TextBuffer {
    std::array<char, Size> chars{};
};

// A composed text in a buffer of its own, such as a command line or an
// argument text built in place and handed on.
template <std::size_t Size>
class FixedText : private TextBuffer<Size>, public TextComposer {
    static_assert(Size > 1);

  public:
    FixedText() noexcept : TextComposer(this->chars) {}
    FixedText(const FixedText& other) noexcept : TextBuffer<Size>(other), TextComposer(this->chars, other) {}
    FixedText& operator=(const FixedText&) = delete;
};

}  // namespace mpdll
