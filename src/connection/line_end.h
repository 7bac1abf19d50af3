// The line end of a login or command line: one CR appended in its buffer.
#pragma once

#include <span>

#include "connection/buffer_sizes.h"

namespace mpdll {
// Appends "\r" to the text in line and returns line's data, or null when the
// result would not fit with its terminator (the text is then unchanged).
char* append_line_end(std::span<char, kResponseSize> line) noexcept;
}  // namespace mpdll
