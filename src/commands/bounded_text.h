// Text written into a fixed-size buffer: never past its end, always
// terminated, and telling whether anything had to be cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace mpdll::commands {

// The text at `text` up to its first NUL, reading at most `limit` bytes.
std::string_view text_within(const char* text, std::size_t limit) noexcept;

class BoundedText {
public:
    // Starts out as the empty text (out[0] is set to NUL when out has room).
    explicit BoundedText(std::span<char> out) noexcept;

    void append(std::string_view text) noexcept;
    void append_number(std::int32_t value) noexcept;

    // False once anything did not fit in out.size() - 1 characters.
    bool fits() const noexcept { return fits_; }
    std::string_view view() const noexcept { return {out_.data(), length_}; }

private:
    std::span<char> out_;
    std::size_t length_ = 0;
    bool fits_;
};

}  // namespace mpdll::commands
