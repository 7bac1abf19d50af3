// Telnet byte transport internals shared by TelnetSnd, the login and
// SendCommand.
#pragma once

#include <cstdint>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll {

// Sends every byte (no line end added); 0, or the socket error number.
std::int32_t telnet_send_bytes(MpSocket socket, std::string_view bytes) noexcept;

// Sends data followed by one CR; when record is set the line also becomes
// lastSent. 0, the socket error number, or MPDLL_E_ARGUMENT for a line
// longer than 16382 bytes.
std::int32_t telnet_send_line(const DevContext& dev, std::string_view data, bool record) noexcept;

// The socket error number of the last failed socket call, never 0.
std::int32_t socket_error() noexcept;

}  // namespace mpdll
