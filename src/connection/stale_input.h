// Discarding what already waits on a socket before a command goes out: a
// late answer to an earlier command, a duplicated datagram or an extra
// prompt must never be taken as the answer to the next one.
#pragma once

#include <cstdint>
#include <span>

#include "mpdll/mpdll.h"

namespace mpdll {
// Reads and drops everything readable at once; scratch is the read buffer.
void discard_stream_input(MpSocket socket, std::span<char> scratch) noexcept;
void discard_datagrams(MpSocket socket, std::span<char> scratch) noexcept;
}  // namespace mpdll
