// Keeping a secret (the login password) out of every text the library keeps
// or shows. A text is masked whole before any of it is cut off: a password
// cut in two by the cut still has its kept part masked.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace mpdll {

// Overwrites with '*' every occurrence of secret in text, and the start of
// the secret that the text ends with (a password whose echo stopped short).
void mask_secret(std::span<char> text, std::string_view secret) noexcept;

// Appends data to the text held in area[0, length) and returns the new
// length. When the whole does not fit, the oldest bytes go; if the cut
// falls inside an occurrence of secret, the part of it that is kept is
// overwritten with '*'. Every other byte stays as it came, so the kept text
// can still be read for questions and the prompt; mask_secret masks the
// rest before the text is shown.
std::size_t append_keeping_newest(std::span<char> area, std::size_t length, std::string_view data,
                                  std::string_view secret) noexcept;

}  // namespace mpdll
