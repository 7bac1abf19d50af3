// Opening the UDP path: the two datagram sockets and the named objects of
// the caller's UDP side; and giving them back.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll {
// MPDLL_OK with the UDP bit set in openFlags, or MPDLL_E_OPEN with the
// reason in the trace and nothing left open.
std::int32_t open_udp(DevContext& dev) noexcept;

// Closes whichever of the UDP sockets and named objects the record holds
// and puts the invalid value (named objects: nullptr) in their place.
void release_udp_handles(DevContext& dev) noexcept;
}  // namespace mpdll
