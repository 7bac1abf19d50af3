// Sizes of the fixed work areas every operation uses, as the public header
// states them (mpdll.h is their one source).
#pragma once

#include <mpdll/mpdll.h>

#include <cstddef>
#include <cstdint>

namespace mpdll {
inline constexpr std::size_t kCommandSize = MPDLL_COMMAND_SIZE;    // one command line and its terminator
inline constexpr std::size_t kResponseSize = MPDLL_RESPONSE_SIZE;  // one response and its terminator
inline constexpr std::size_t kFieldSize = MPDLL_FIELD_SIZE;        // chipModel, toolPath, ifName, prompt
inline constexpr std::size_t kMacTextSize = MPDLL_MAC_TEXT_SIZE;   // an address: 17 characters and a terminator
inline constexpr std::uint16_t kUdpCommandPort = MPDLL_UDP_PORT;   // the board's UDP command endpoint
}  // namespace mpdll
