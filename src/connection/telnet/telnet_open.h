// Opening the telnet session: the connection, then negotiation, login and
// firstCommand.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll {
// MPDLL_OK with the telnet bit set in openFlags, or MPDLL_E_OPEN with the
// reason in the trace and telnetSocket invalid.
std::int32_t open_telnet(DevContext& dev) noexcept;
}  // namespace mpdll
