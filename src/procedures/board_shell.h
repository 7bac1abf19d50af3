// Running the board's own shell lines for flash and register access. These
// lines are sent as written: no tool word and no interface name is put in.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "connection/bounded_text.h"
#include "connection/buffer_sizes.h"
#include "mpdll/mpdll.h"

namespace mpdll::procedures {

using ShellLine = FixedText<kCommandSize>;
using ShellResponse = std::array<char, kResponseSize>;

// One exchange through SendCommand: whole response area, prompt cut off.
// A line that did not fit its area is not sent (MPDLL_E_ARGUMENT).
std::int32_t run_shell_line(DevContext* dev, const ShellLine& line, ShellResponse& response,
                            std::int32_t wait = 0) noexcept;

// Over UDP a command's reply carries no output, only "ok": when the reply
// in `response` holds "ok", "flash read" fetches the output into `response`
// (a reply beginning with "data:"). A reply without "ok" gives MPDLL_E_REPLY
// and nothing more is sent.
std::int32_t fetch_udp_output(DevContext* dev, ShellResponse& response) noexcept;

// The response text up to its terminator.
std::string_view response_text(const ShellResponse& response) noexcept;

}  // namespace mpdll::procedures
