// Cutting the echo of the command line and the prompt off a raw response,
// by position: the board echoes the line at the very start and ends with
// the prompt.
#pragma once

#include <cstdint>
#include <string_view>

namespace mpdll {
// A raw text shorter than the command plus the prompt comes back whole.
std::string_view trim_response(std::string_view raw, std::size_t commandLength, std::size_t promptLength,
                               bool keepPrompt) noexcept;
// keepPrompt is an 8-bit flag in a 32-bit slot: only the value 1 keeps it.
inline bool keeps_prompt(std::int32_t keepPrompt) noexcept { return static_cast<std::uint8_t>(keepPrompt) == 1; }
}  // namespace mpdll
