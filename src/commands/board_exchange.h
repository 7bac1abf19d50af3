// One exchange with the board: a line through SendCommand with a whole
// response work area, the echo and prompt cut off; the two-step read of a
// command's output over UDP; and the text of a response.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll::commands {

using Response = std::array<char, kResponseSize>;
using CommandText = FixedText<kCommandSize>;

// Runs line with SendCommand(dev, line, response, 16384, keepPrompt 0, wait).
std::int32_t exchange(DevContext& dev, const char* line, Response& response, std::int32_t wait = 0) noexcept;

// The same for a composed line, which is sent only whole: a line that had to
// be cut is MPDLL_E_ARGUMENT and nothing is sent.
std::int32_t exchange(DevContext& dev, const TextComposer& line, Response& response, std::int32_t wait = 0) noexcept;

// Runs a line whose output is wanted and leaves that output in `response`.
// Telnet and serial answer with the output itself. Over UDP the reply only
// acknowledges: when it holds "ok", "flash read" fetches the output (a reply
// beginning with "data:"); a reply without "ok" is MPDLL_E_REPLY and nothing
// more is sent.
std::int32_t read_output(DevContext& dev, const char* line, Response& response) noexcept;

// The text in a response area up to its terminator (never past the area).
std::string_view response_text(const Response& response) noexcept;

}  // namespace mpdll::commands
