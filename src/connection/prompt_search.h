// Finding the board's shell prompt in received text. A prompt configured with
// one line-end order ("\n\r" or "\r\n") also matches the other order.
#pragma once

#include <cstdint>
#include <string_view>

namespace mpdll {
// Offset of prompt (or of its line-end variant) in text, or -1.
std::int32_t prompt_offset(std::string_view text, std::string_view prompt) noexcept;
// True when text ends with the prompt (either line-end order); an empty
// prompt never ends a text.
bool ends_with_prompt(std::string_view text, std::string_view prompt) noexcept;
}  // namespace mpdll
