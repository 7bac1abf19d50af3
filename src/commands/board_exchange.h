// One exchange with the board as the command layer runs it: a line through
// SendCommand with a whole response work area, the echo and prompt cut off.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "connection/buffer_sizes.h"
#include "mpdll/mpdll.h"

namespace mpdll::commands {

using Response = std::array<char, kResponseSize>;

// Runs line with SendCommand(dev, line, response, 16384, keepPrompt 0, wait).
std::int32_t exchange(DevContext& dev, const char* line, Response& response, std::int32_t wait = 0) noexcept;

// The text in a response area up to its terminator (never past the area).
std::string_view response_text(const Response& response) noexcept;

// The normal form of a telnet or serial response (FormatBuffer: no blanks,
// tabs or line ends, a to z upper-cased), written into `normal`.
std::string_view normal_form(const Response& response, Response& normal) noexcept;

}  // namespace mpdll::commands
