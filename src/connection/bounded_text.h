// Bounded reads and writes of texts: a record field is read only within its
// array, terminated or not, and a copy never runs past its destination.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

namespace mpdll {

// The text of a fixed-size char field: up to its first NUL or its last byte.
template <std::size_t N>
std::string_view field_text(const char (&field)[N]) noexcept {
    return {field, strnlen(field, N)};
}

// A caller's NUL-terminated text; an empty view for a null pointer.
inline std::string_view caller_text(const char* text) noexcept { return text ? std::string_view{text} : std::string_view{}; }

// Bytes of a buffer up to its first NUL (a received chunk taken as text).
inline std::string_view buffer_text(const char* data, std::size_t size) noexcept { return {data, strnlen(data, size)}; }

// Copies as much of text as fits before a terminator; returns the length copied.
inline std::size_t copy_text(std::span<char> out, std::string_view text) noexcept {
    if (out.empty()) return 0;
    const std::size_t length = std::min(text.size(), out.size() - 1);
    std::memcpy(out.data(), text.data(), length);
    out[length] = '\0';
    return length;
}

}  // namespace mpdll
