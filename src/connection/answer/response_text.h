// The normal form of received text (whitespace removed, a to z upper-cased)
// for the library's own searches, such as "LOGIN" and "PASS" in the login.
#pragma once

#include <span>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll {
// Writes the normal form of text into out (cut to fit, terminated) and
// returns its length.
std::size_t normal_form(std::string_view text, std::span<char> out) noexcept;
}  // namespace mpdll
