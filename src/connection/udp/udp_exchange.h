// One command over the UDP path: the bare line in one datagram, the first
// datagram back from the board within the 5-6 s window is the whole reply;
// what already waits is dropped before it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "connection/trace.h"
#include "mpdll/mpdll.h"

namespace mpdll {
// response is cleared by the caller; the reply is kept terminated in it.
// scratch takes the copies of the reply that a board sends right after it.
// MPDLL_OK, also when no reply came; MPDLL_E_TRANSPORT when the send, a
// wait or a read fails (said in trace).
std::int32_t udp_exchange(DevContext& dev, std::string_view command, std::span<char> response, std::span<char> scratch,
                          const CallTrace& trace) noexcept;

// Drops the datagrams waiting, and those that arrive within waitMs of the
// last one; scratch is the read area.
void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs = 0) noexcept;
}  // namespace mpdll
