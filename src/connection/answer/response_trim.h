// Cutting the echo of the command line and the prompt off a raw response:
// the board echoes the line at the very start and ends with the prompt. A
// response that does not begin with the line (a board that echoes nothing)
// keeps its start, and one that does not end with the prompt (the answer
// ended by time) keeps its end.
#pragma once

#include <cstdint>
#include <string_view>

namespace mpdll {
// A raw text shorter than the echo plus the prompt comes back whole.
std::string_view trim_response(std::string_view raw, std::string_view command, std::string_view prompt,
                               bool keepPrompt) noexcept;
// keepPrompt is an 8-bit flag in a 32-bit slot: only the value 1 keeps it.
inline bool keeps_prompt(std::int32_t keepPrompt) noexcept { return static_cast<std::uint8_t>(keepPrompt) == 1; }
}  // namespace mpdll
