// The telnet session set-up on a connected socket: option negotiation, the
// login, and the record's firstCommand.
#pragma once

#include <cstdint>

#include "connection/trace.h"
#include "mpdll/mpdll.h"

namespace mpdll {
// 0 when the session is ready for commands, else MPDLL_E_OPEN with the
// reason in the trace (the caller closes the socket).
std::int32_t telnet_login(DevContext& dev, OpenTrace& trace) noexcept;
}  // namespace mpdll
