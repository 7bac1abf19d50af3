// The normal form of received text (whitespace removed, a to z upper-cased)
// for the library's own searches, such as "LOGIN" and "PASS" in the login;
// and the line end of a login or command line.
#pragma once

#include <span>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll {
// Writes the normal form of text into out (cut to fit, terminated) and
// returns its length.
std::size_t normal_form(std::string_view text, std::span<char> out) noexcept;

// Appends "\r" to the text in line and returns line's data, or null when the
// result would not fit with its terminator (the text is then unchanged).
char* append_line_end(std::span<char, kResponseSize> line) noexcept;
}  // namespace mpdll
