// The telnet peer from the record's ipText: a dotted-decimal IPv4 address,
// optionally followed by ":PORT" (boards behind console servers or port
// forwarding); without a port the telnet port 23 is used.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll {
inline constexpr std::uint16_t kTelnetPort = 23;
// Family 2, the port and the address in network byte order; nothing for a
// text that does not parse, and for 255.255.255.255.
std::optional<MpSockAddrIn> telnet_peer(std::string_view ipText) noexcept;
}  // namespace mpdll
